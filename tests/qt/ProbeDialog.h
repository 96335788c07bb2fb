// A small dialog for tests of the presenter's mechanics: built from a
// template of the test's own, it counts the commands, notifications and
// system commands it receives and runs what the test hands it.
#pragma once

#include "platform/DialogLayer.h"
#include "res/TemplateBuilder.h"

#include <functional>
#include <map>
#include <vector>

namespace travik::test {

// Control ids of the probe's templates.
constexpr int kProbeButton = 1001;
constexpr int kProbeOther = 1002;
constexpr int kProbeCheck = 1003;
constexpr int kProbeEdit = 1004;
constexpr int kProbeTree = 1005;
constexpr int kProbeCombo = 1006;
constexpr int kProbeList = 1007;
constexpr int kProbeProgress = 1008;

// The probe keeps its own copy of the template, which the dialog refers to.
struct ProbeTemplateHolder {
    DialogTemplate probeTemplate;
};

class ProbeDialog : private ProbeTemplateHolder, public CDialog {
public:
    explicit ProbeDialog(DialogTemplate dialogTemplate)
        : ProbeTemplateHolder {std::move(dialogTemplate)}, CDialog(probeTemplate)
    {
    }

    std::function<void(ProbeDialog&)> onInit;
    // Runs on each command of kProbeButton / kProbeOther.
    std::function<void(ProbeDialog&)> onButton;
    std::function<void(ProbeDialog&)> onOther;

    std::map<UINT, int> commands;            // id -> how often
    std::vector<HTREEITEM> selectionChanges; // the new item of each TVN_SELCHANGED
    std::vector<UINT> systemCommands;

    template <class T>
    T& Control(int id)
    {
        return *dynamic_cast<T*>(GetDlgItem(id));
    }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return TRUE;
    }
    void OnOK() override
    {
        ++commands[IDOK];
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        ++commands[IDCANCEL];
        CDialog::OnCancel();
    }
    void OnButton()
    {
        ++commands[kProbeButton];
        if (onButton) onButton(*this);
    }
    void OnOther()
    {
        ++commands[kProbeOther];
        if (onOther) onOther(*this);
    }
    void OnCheck() { ++commands[kProbeCheck]; }
    void OnMenuCommand() { ++commands[32780]; }
    void OnSelChanged(NMHDR* header, LRESULT* result)
    {
        selectionChanges.push_back(reinterpret_cast<NMTREEVIEW*>(header)->itemNew.hItem);
        *result = 0;
    }
    void OnSysCommand(UINT nID, LPARAM lParam)
    {
        systemCommands.push_back(nID);
        CDialog::OnSysCommand(nID, lParam);
    }

    DECLARE_MESSAGE_MAP()
};

inline DialogTemplate ProbeTemplate(std::vector<ControlTemplate> controls, uint32_t style = dlg::Caption,
                                    UINT menuId = 0)
{
    DialogTemplate made;
    made.id = 9000;
    made.caption = "Probe";
    made.cx = 240;
    made.cy = 160;
    made.fontName = kDialogFont;
    made.fontSize = kDialogFontSize;
    made.style = style;
    made.menuId = menuId;
    made.controls = std::move(controls);
    return made;
}

} // namespace travik::test
