// A baseline fingerprint and whether the present state differs from it: the
// change tracking of the project, its materials and their orders. A
// fingerprint is a CRC-32 of the tracked texts; 0 means no baseline yet.
#pragma once

#include <cstdint>

class ChangeTracker {
public:
    // Compares fingerprint with the baseline; without a baseline nothing
    // counts as changed. Recomputed at every update, so an edit that is
    // undone stops counting. With newBaseline the fingerprint becomes the
    // baseline and the change is forgotten.
    void Update(uint32_t fingerprint, bool newBaseline)
    {
        m_changed = m_baseline != 0 && m_baseline != fingerprint;
        if (newBaseline) {
            m_baseline = fingerprint;
            m_changed = false;
        }
    }
    // No baseline and no change.
    void Forget()
    {
        m_baseline = 0;
        m_changed = false;
    }
    bool Changed() const { return m_changed; }
    uint32_t Baseline() const { return m_baseline; }

private:
    uint32_t m_baseline = 0;
    bool m_changed = false;
};
