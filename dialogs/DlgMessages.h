// The warnings list: the warnings and errors found in the data of one or
// several materials, one row each, with the material, the place it concerns
// and the message.
#pragma once

#include <vector>

#include "dialogs/DlgFrame.h"

class ICList;

class DlgMessages : public DlgFrame {
public:
    explicit DlgMessages(CWnd* parent);

    // Appends a copy of a warning bag (its name: the material; each entry:
    // status code -> place text). False, nothing changed, for an empty bag.
    bool AddMessage(const DProps& bag);
    // Replaces the list by a copy; false, nothing changed, for an empty list.
    bool SetMessages(const std::vector<DProps>& bags);
    const std::vector<DProps>& GetMessages() const { return m_messages; }

    // The rows as they are listed: material, place with its references
    // expanded, message text.
    struct Row {
        std::string material;
        std::string place;
        std::string message;
    };
    static std::vector<Row> BuildRows(const std::vector<DProps>& bags);

protected:
    BOOL OnInitDialog() override;
    // Enter ends with the class library's accept (IDOK); Close is the
    // frame's cancel.
    void OnOK() override { CDialog::OnOK(); }

private:
    void FillList();

    std::vector<DProps> m_messages;
    ICList* m_list = nullptr;
};
