// Data exchange between members and controls: number forms, refusals and
// the partial exchange, combo boxes, check boxes and text limits.
#include "platform/DialogLayer.h"
#include "platform/headless/HeadlessPresenter.h"

#include <gtest/gtest.h>

using headless::HeadlessPresenter;
using headless::ScopedPresenter;

namespace {

const DialogTemplate& ExchangeTemplate()
{
    static const DialogTemplate t = [] {
        DialogTemplate made;
        made.id = 9001;
        made.caption = "Exchange";
        made.cx = 200;
        made.cy = 120;
        made.style = dlg::Caption | dlg::SystemMenu;
        auto add = [&](int id, ControlKind kind, uint64_t style) {
            ControlTemplate control;
            control.id = id;
            control.kind = kind;
            control.style = style;
            made.controls.push_back(control);
        };
        add(10, ControlKind::Edit, ctl::Border);      // text
        add(11, ControlKind::Edit, ctl::Border);      // signed
        add(12, ControlKind::Edit, ctl::Border);      // text, at most 4
        add(13, ControlKind::Edit, ctl::Border);      // float
        add(14, ControlKind::Edit, ctl::Border);      // unsigned
        add(15, ControlKind::Edit, ctl::Border);      // double
        add(16, ControlKind::CheckBox, ctl::AutoCheck);
        ControlTemplate combo;
        combo.id = 17;
        combo.kind = ControlKind::ComboBox;
        combo.style = ctl::DropDown | ctl::Sort | ctl::VScroll;
        combo.initialData = {"deca", "bipd", "DeLa", CString("\xFF\xFF\xFF\xFF"), "fog ", "devc", "antr"};
        made.controls.push_back(combo);
        add(IDOK, ControlKind::PushButton, ctl::DefaultButton);
        return made;
    }();
    return t;
}

class ExchangeDialog : public CDialog {
public:
    ExchangeDialog() : CDialog(ExchangeTemplate()) {}
    CString m_text = "start";
    int m_signed = 5;
    CString m_short = "abcd";
    float m_float = 0.01f;
    UINT m_unsigned = 7;
    double m_double = 0.5;
    BOOL m_check = TRUE;
    CString m_combo = "BIP";

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Text(pDX, 10, m_text);
        DDX_Text(pDX, 11, m_signed);
        DDX_Text(pDX, 12, m_short);
        DDV_MaxChars(pDX, m_short, 4);
        DDX_Text(pDX, 13, m_float);
        DDX_Text(pDX, 14, m_unsigned);
        DDX_Text(pDX, 15, m_double);
        DDX_Check(pDX, 16, m_check);
        DDX_CBString(pDX, 17, m_combo);
        DDV_MaxChars(pDX, m_combo, 4);
    }
};

class DataExchangeTest : public ::testing::Test {
protected:
    HeadlessPresenter user;
    ScopedPresenter active {user};
};

TEST(NumberText, SignedForms)
{
    struct Case {
        const char* text;
        bool accepted;
        int value;
    };
    const Case cases[] = {
        {"12", true, 12},          {" -7 ", true, -7},       {"+3", true, 3},
        {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},  {"", false, 0},           {"   ", false, 0},
        {"1.5", false, 0},         {"12abc", false, 0},      {"0x10", false, 0},
        {"-", false, 0},           {"--1", false, 0},        {"00000000000000000000042", true, 42},
    };
    for (const Case& c : cases) {
        int value = -99;
        EXPECT_EQ(ParseExchangeSigned(c.text, value), c.accepted) << c.text;
        EXPECT_EQ(value, c.accepted ? c.value : -99) << c.text;
    }
}

TEST(NumberText, UnsignedForms)
{
    struct Case {
        const char* text;
        bool accepted;
        UINT value;
    };
    const Case cases[] = {
        {"0", true, 0}, {"70000", true, 70000}, {"4294967295", true, 4294967295u},
        {"4294967296", false, 0}, {"-1", false, 0}, {"-0", false, 0}, {"1e3", false, 0}, {"", false, 0},
    };
    for (const Case& c : cases) {
        UINT value = 99;
        EXPECT_EQ(ParseExchangeUnsigned(c.text, value), c.accepted) << c.text;
        EXPECT_EQ(value, c.accepted ? c.value : 99u) << c.text;
    }
}

// Integers are read from the first 63 characters; blanks are spaces and
// tabs; a magnitude past 64 bits must not wrap into range.
TEST(NumberText, IntegerReadingLimits)
{
    const CString zeros62('0', 62);
    struct Case {
        CString text;
        bool accepted;
        UINT value;
    };
    const Case cases[] = {
        {zeros62 + "7", true, 7},              // the 63rd character is read
        {zeros62 + "7x", true, 7},             // the 64th is not
        {zeros62 + "0" + "7", true, 0},        // a digit at 64 counts for nothing
        {"\t42\t", true, 42},
        {" \t 42 \t", true, 42},
        {"4\t2", false, 0},
        {"\v42", false, 0},
        {"18446744073709551617", false, 0},    // 2^64 + 1
        {"18446744073709551616", false, 0},
        {"4294967297", false, 0},              // 2^32 + 1
        {"00000000000000000000004294967295", true, 4294967295u},
    };
    for (const Case& c : cases) {
        UINT value = 99;
        EXPECT_EQ(ParseExchangeUnsigned(c.text, value), c.accepted) << c.text.Bytes();
        EXPECT_EQ(value, c.accepted ? c.value : 99u) << c.text.Bytes();
    }
    int value = 99;
    EXPECT_FALSE(ParseExchangeSigned("-18446744073709551617", value));
    EXPECT_FALSE(ParseExchangeSigned("18446744073709551617", value));
    EXPECT_FALSE(ParseExchangeSigned("-4294967297", value));
    EXPECT_EQ(value, 99);
    EXPECT_TRUE(ParseExchangeSigned("\t-12\t", value));
    EXPECT_EQ(value, -12);
    EXPECT_TRUE(ParseExchangeSigned("-" + CString('0', 61) + "5", value));
    EXPECT_EQ(value, -5);
    EXPECT_TRUE(ParseExchangeSigned("-" + CString('0', 62) + "5", value));
    EXPECT_EQ(value, 0);
}

TEST(NumberText, FloatingForms)
{
    float f = 0;
    EXPECT_TRUE(ParseExchangeFloat(" 1.5 ", f));
    EXPECT_EQ(f, 1.5f);
    EXPECT_TRUE(ParseExchangeFloat(".5", f));
    EXPECT_EQ(f, 0.5f);
    EXPECT_TRUE(ParseExchangeFloat("-2e3", f));
    EXPECT_EQ(f, -2000.0f);
    EXPECT_FALSE(ParseExchangeFloat("1e39", f)); // no float can hold it
    EXPECT_FALSE(ParseExchangeFloat("abc", f));
    EXPECT_FALSE(ParseExchangeFloat("", f));
    EXPECT_FALSE(ParseExchangeFloat("1,5", f));
    EXPECT_FALSE(ParseExchangeFloat("+-1", f));
    double d = 0;
    EXPECT_TRUE(ParseExchangeDouble("1e39", d));
    EXPECT_FALSE(ParseExchangeDouble("1e400", d));
    // Only the first 31 characters are read.
    EXPECT_TRUE(ParseExchangeDouble(CString("1.") + CString('0', 29) + "junk", d));
    EXPECT_EQ(d, 1.0);
    EXPECT_FALSE(ParseExchangeDouble(CString("1.") + CString('0', 28) + "junk", d));
}

TEST(NumberText, SignificantDigits)
{
    EXPECT_EQ(FormatExchangeFloat(0.01f), "0.01");
    EXPECT_EQ(FormatExchangeFloat(1.23456789f), "1.23457");
    EXPECT_EQ(FormatExchangeFloat(0.0f), "0");
    EXPECT_EQ(FormatExchangeFloat(1.0f), "1");
    EXPECT_EQ(FormatExchangeFloat(123456789.0f), "1.23457e+08");
    EXPECT_EQ(FormatExchangeFloat(0.00001f), "1e-05");
    EXPECT_EQ(FormatExchangeDouble(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatExchangeDouble(0.1), "0.1");
    EXPECT_EQ(FormatExchangeDouble(123456789012345678.0), "1.23456789012346e+17");
}

TEST_F(DataExchangeTest, ShowingWritesEveryForm)
{
    ExchangeDialog dialog;
    dialog.m_signed = -42;
    dialog.m_unsigned = 4294967295u;
    user.ExpectDialog("Exchange").Escape();
    dialog.DoModal();
    const auto& shown = user.Shown().at(0);
    EXPECT_EQ(shown.Text(10), "start");
    EXPECT_EQ(shown.Text(11), "-42");
    EXPECT_EQ(shown.Text(12), "abcd");
    EXPECT_EQ(shown.Text(13), "0.01");
    EXPECT_EQ(shown.Text(14), "4294967295");
    EXPECT_EQ(shown.Text(15), "0.5");
    EXPECT_EQ(shown.Text(17), "bipd"); // the entry the text begins, case ignored
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(DataExchangeTest, OkTakesEveryControlBack)
{
    ExchangeDialog dialog;
    user.ExpectDialog()
        .Type(10, "typed")
        .Type(11, " -12 ")
        .Type(12, "wxyz")
        .Type(13, "2.5")
        .Type(14, "70000")
        .Type(15, "1e-3")
        .Click(16)
        .Type(17, "Soul")
        .Enter();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_text, "typed");
    EXPECT_EQ(dialog.m_signed, -12);
    EXPECT_EQ(dialog.m_short, "wxyz");
    EXPECT_EQ(dialog.m_float, 2.5f);
    EXPECT_EQ(dialog.m_unsigned, 70000u);
    EXPECT_EQ(dialog.m_double, 0.001);
    EXPECT_EQ(dialog.m_check, FALSE);
    EXPECT_EQ(dialog.m_combo, "Soul");
    EXPECT_EQ(user.Problems(), "");
}

// Each refusal stops the exchange at its control: members before it are
// new, a refused text member holds the refused text, a refused number
// keeps its value, members after it are untouched.
TEST_F(DataExchangeTest, RefusalsAndThePartialExchange)
{
    struct Case {
        int control;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {11, "abc", "Please enter an integer."},
        {12, "toolong", "Please enter no more than 4 characters."},
        {13, "x1", "Please enter a number."},
        {14, "-3", "Please enter a positive integer."},
        {14, "18446744073709551617", "Please enter a positive integer."},
        {11, "18446744073709551617", "Please enter an integer."},
        {15, "", "Please enter a number."},
        {17, "bipdx", "Please enter no more than 4 characters."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        HeadlessPresenter player;
        ScopedPresenter scoped(player);
        ExchangeDialog dialog;
        int focus = 0;
        player.ExpectDialog()
            .Type(10, "new")
            // Set as the control's text: the edit's own limit would stop typing.
            .Inspect([&](CDialog& d) { d.GetDlgItem(c.control)->SetWindowText(c.typed); })
            .Click(16)
            .Enter() // OK: refused, the dialog stays open
            .Inspect([&](CDialog& d) { focus = d.GetFocusId(); })
            .Escape();
        player.AnswerMessageBox();
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(player.Problems(), "");
        ASSERT_EQ(player.MessageBoxTexts().size(), 1u);
        EXPECT_EQ(player.MessageBoxTexts()[0], c.message);
        EXPECT_EQ(player.Shown().at(1).caption, "Project Travik");
        EXPECT_EQ(focus, c.control);

        EXPECT_EQ(dialog.m_text, "new");
        EXPECT_EQ(dialog.m_signed, 5);
        EXPECT_EQ(dialog.m_short, c.control == 12 ? "toolong" : "abcd");
        EXPECT_EQ(dialog.m_float, 0.01f);
        EXPECT_EQ(dialog.m_unsigned, 7u);
        EXPECT_EQ(dialog.m_double, 0.5);
        EXPECT_EQ(dialog.m_check, c.control == 17 ? FALSE : TRUE) << "a control after the refused one changed";
        EXPECT_EQ(dialog.m_combo, c.control == 17 ? "bipdx" : "BIP");
    }
}

TEST_F(DataExchangeTest, TakingBackLeavesFailedNumbersAsTyped)
{
    ExchangeDialog dialog;
    BOOL result = TRUE;
    CString shownAfter;
    user.ExpectDialog()
        .Type(11, "seven")
        .Inspect([&](CDialog& d) { result = d.UpdateData(TRUE); })
        .Read(11, shownAfter)
        .Escape();
    user.AnswerMessageBox();
    dialog.DoModal();
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(shownAfter, "seven");
    EXPECT_EQ(dialog.m_signed, 5);
}

TEST_F(DataExchangeTest, ComboBoxFillingAndTheEditField)
{
    ExchangeDialog dialog;
    dialog.m_combo = "nothing like it";
    std::vector<CString> entries;
    int selection = 0;
    user.ExpectDialog()
        .Inspect([&](CDialog& d) {
            auto* combo = dynamic_cast<CComboBox*>(d.GetDlgItem(17));
            ASSERT_NE(combo, nullptr);
            entries = combo->Entries();
            selection = combo->GetCurSel();
        })
        .SelectComboEntry(17, "DeLa")
        .Enter();
    dialog.DoModal();
    const std::vector<CString> sorted = {"antr", "bipd", "deca", "DeLa", "devc", "fog ", CString("\xFF\xFF\xFF\xFF")};
    EXPECT_EQ(entries, sorted);
    EXPECT_EQ(selection, -1);
    EXPECT_EQ(user.Shown().at(0).Text(17), "nothing like it");
    EXPECT_EQ(dialog.m_combo, "DeLa");
}

// An empty text would begin every entry; it must not come back as one.
TEST_F(DataExchangeTest, EmptyComboTextSelectsNothing)
{
    ExchangeDialog dialog;
    dialog.m_combo = "";
    user.ExpectDialog().Enter();
    dialog.DoModal();
    EXPECT_EQ(user.Shown().at(0).Text(17), "");
    EXPECT_EQ(dialog.m_combo, "");
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(DataExchangeTest, LimitsOnTyping)
{
    ExchangeDialog dialog;
    CString edit, combo;
    user.ExpectDialog().Type(12, "123456789").Type(17, "123456789").Read(12, edit).Read(17, combo).Escape();
    dialog.DoModal();
    EXPECT_EQ(edit, "1234");       // the edit takes the limit of DDV_MaxChars
    EXPECT_EQ(combo, "123456789"); // a combo box does not
}

TEST_F(DataExchangeTest, CheckValuesOutsideTheStatesShowUnchecked)
{
    ExchangeDialog dialog;
    dialog.m_check = 7;
    user.ExpectDialog().Enter();
    dialog.DoModal();
    EXPECT_EQ(dialog.m_check, BST_UNCHECKED);
}

} // namespace
