// Reaches into the records of the document where a test must arrange a state
// that no operation produces: damaged or hand-made rows, solutions that no
// calculation ran, a material without a baseline. Everything a test checks
// goes through the records' own operations.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/DCSProject.h"
#include "document/DCSSolution.h"
#include "document/DCSStorage.h"

struct DocumentProbe {
    // ---- An order --------------------------------------------------------------
    static PropsList& Blanks(DCSStorage& order) { return order.m_blanks; }
    static PropsList& Pieces(DCSStorage& order) { return order.m_pieces; }
    static DProps& Warnings(DCSStorage& order) { return order.m_warnings; }
    static int32_t& CheckResult(DCSStorage& order) { return order.m_checkResult; }

    // ---- A material --------------------------------------------------------------
    static DProps& Props(DCSProject& m) { return m.m_props; }
    static PropsList& Blanks(DCSProject& m) { return m.m_order.m_blanks; }
    static PropsList& Pieces(DCSProject& m) { return m.m_order.m_pieces; }
    static PropsList& Summary(DCSProject& m) { return m.m_summary; }
    static PropsList& Cuttings(DCSProject& m) { return m.m_cuttings; }
    static PropsList& CuttingParts(DCSProject& m) { return m.m_cuttingParts; }
    static PropsList& Remnants(DCSProject& m) { return m.m_remnants; }
    static DList<CUTTING::Layout>& Solutions(DCSProject& m) { return m.m_solutions; }
    static CUTTING::Layout& Layout(DCSProject& m) { return m.m_layout; }
    static DProps& Warnings(DCSProject& m) { return m.m_warnings; }
    // Forgets both baselines, as a material that never took one.
    static void DropBaselines(DCSProject& m)
    {
        m.m_propsTracker.Forget();
        m.m_resultsTracker.Forget();
    }

    // ---- A project -----------------------------------------------------------------
    static DProps& Props(DCSSolution& d) { return d.m_props; }
    static std::vector<std::unique_ptr<DCSProject>>& Materials(DCSSolution& d) { return d.m_materials; }
};

// Sets one value of the row at index (from 0) of that kind through the
// material's row operation, which recounts the order afterwards.
inline void SetRowValue(DCSProject& material, long kind, size_t index, const char* key, const char* value)
{
    const std::string uid = DProps::GetString(material.GetRows(kind).at(index), "uid", "");
    DProps values;
    values.Set(key, value);
    ASSERT_TRUE(material.SetRowValues(kind, uid.c_str(), values)) << key;
}
