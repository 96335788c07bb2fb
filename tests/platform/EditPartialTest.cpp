// An edit edited in part, as the real windows edit it: only what the user
// typed is filtered; the bytes around it stay as code put them there.
#include "platform/DialogLayer.h"
#include "platform/headless/HeadlessPresenter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

using headless::HeadlessPresenter;
using headless::ScopedPresenter;

namespace {

struct PartialEdit {
    const char* what;
    uint64_t style;
    UINT limit;
    std::string before; // set by code
    int start;
    int removed;
    std::string typed;
    bool accepted;
    std::string after;
};

class EditPartialTest : public ::testing::TestWithParam<PartialEdit> {};

TEST_P(EditPartialTest, KeepsWhatTheUserDidNotType)
{
    const PartialEdit& edit = GetParam();
    DialogTemplate dialogTemplate;
    dialogTemplate.id = 9200;
    dialogTemplate.caption = "Edit";
    dialogTemplate.cx = 100;
    dialogTemplate.cy = 40;
    ControlTemplate control;
    control.id = 50;
    control.kind = ControlKind::Edit;
    control.style = edit.style;
    control.rect = {5, 5, 80, 14};
    dialogTemplate.controls = {control};

    CDialog dialog(dialogTemplate);
    HeadlessPresenter user;
    ScopedPresenter active(user);
    user.ExpectDialog("Edit")
        .Inspect([&](CDialog& d) {
            auto& model = *dynamic_cast<CEdit*>(d.GetDlgItem(50));
            model.SetWindowText(CString(edit.before));
            model.SetLimitText(edit.limit);
            EXPECT_EQ(model.UserEdit(edit.start, edit.removed, CString(edit.typed)), edit.accepted);
            EXPECT_EQ(model.WindowText().Bytes(), edit.after);
        })
        .Escape();
    dialog.DoModal();
    EXPECT_EQ(user.Problems(), "");
}

const std::string kHigh = "\x01\x7F\x80\xFF";

INSTANTIATE_TEST_SUITE_P(
    Edits, EditPartialTest,
    ::testing::Values(
        PartialEdit {"plain", 0, 0, "abc", 1, 1, "XY", true, "aXYc"},
        PartialEdit {"bytes kept", 0, 0, kHigh + "\n" + kHigh, 9, 0, "z", true, kHigh + "\n" + kHigh + "z"},
        PartialEdit {"number keeps a point", ctl::Number, 0, "1.5", 3, 0, "2a", true, "1.52"},
        PartialEdit {"number refuses letters", ctl::Number, 0, "1.5", 3, 0, "x", true, "1.5"},
        PartialEdit {"capitals typed only", ctl::UpperCase, 0, "None", 4, 0, "ab", true, "NoneAB"},
        PartialEdit {"over the limit by code", 0, 4, "123456", 6, 0, "7", true, "123456"},
        PartialEdit {"room after deleting", 0, 4, "123456", 3, 3, "78", true, "1237"},
        PartialEdit {"one line", 0, 0, "ab", 2, 0, "c\r\nd", true, "abc"},
        PartialEdit {"line ends typed", ctl::MultiLine, 0, "a\nb", 3, 0, "\r\nc", true, "a\nb\r\nc"},
        PartialEdit {"zero byte ends the typing", 0, 0, "ab", 2, 0, std::string("c\0d", 3), true, "abc"},
        PartialEdit {"read-only", ctl::ReadOnly, 0, "ab", 0, 0, "x", false, "ab"},
        PartialEdit {"disabled", ctl::Disabled, 0, "ab", 0, 0, "x", false, "ab"},
        PartialEdit {"past the end", 0, 0, "ab", 3, 0, "x", false, "ab"},
        PartialEdit {"removing past the end", 0, 0, "ab", 1, 2, "x", false, "ab"},
        PartialEdit {"negative", 0, 0, "ab", -1, 0, "x", false, "ab"}),
    [](const ::testing::TestParamInfo<PartialEdit>& info) {
        std::string name;
        for (char c : std::string(info.param.what)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

} // namespace
