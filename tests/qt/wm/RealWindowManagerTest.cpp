// The title bars under a real window manager (run by scripts/wm-check.sh in
// Xvfb with openbox): what the window manager offers for each window, read
// back from the window's properties, and its close request (wmctrl -c,
// Alt+F4) ending a dialog as Esc does.
#include "app/App.h"
#include "map/MapState.h"
#include "platform/qt/TreeModel.h"
#include "res/ResourceIds.h"
#include "tests/qt/QtTestSupport.h"
#include "tests/support/MapBuilder.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QTreeView>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;

QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QString Property(QWidget& window, const char* name)
{
    return RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()), QString::fromLatin1(name)});
}

// The window's decoration hints: flags, functions, decorations.
std::vector<unsigned> MotifHints(QWidget& window)
{
    const QString text = Property(window, "_MOTIF_WM_HINTS");
    std::vector<unsigned> values;
    for (const QString& part : text.section(QLatin1Char('='), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        values.push_back(part.trimmed().toUInt(nullptr, 0));
    return values;
}

// True once the window manager manages the window; then checks what the
// title bar offers. The decoration hints ask for the boxes (openbox draws
// only those asked for) and the window manager offers the close request.
bool CheckTitleBar(DialogWindow* window, bool minimises)
{
    constexpr unsigned kDecorations = 2, kFunctionClose = 0x20, kMinimizeBox = 0x20, kMaximizeBox = 0x40;
    if (window == nullptr || !window->isVisible()) return false;
    const QString actions = Property(*window, "_NET_WM_ALLOWED_ACTIONS");
    if (!actions.contains(QStringLiteral("_NET_WM_ACTION_MOVE"))) return false;
    const std::string caption = window->windowTitle().toStdString();
    EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE"))) << caption << ": " << actions.toStdString();
    // Maximising a window of fixed size is no action the manager offers.
    // Openbox keeps its minimise button whatever the hints ask (a dialog
    // minimised alone comes straight back), so that one is not asserted.
    if (window->parentWidget() != nullptr) {
        EXPECT_FALSE(actions.contains(QStringLiteral("_NET_WM_ACTION_MAXIMIZE"))) << caption << ": "
                                                                                  << actions.toStdString();
    }
    const std::vector<unsigned> hints = MotifHints(*window);
    EXPECT_EQ(hints.size(), 5u) << caption;
    if (hints.size() == 5) {
        EXPECT_TRUE(hints[0] & kDecorations) << caption;
        EXPECT_TRUE(hints[1] & kFunctionClose) << caption;
        EXPECT_EQ((hints[2] & kMinimizeBox) != 0, minimises) << caption;
        EXPECT_FALSE(hints[2] & kMaximizeBox) << caption;
    }
    if (window->parentWidget() != nullptr) {
        EXPECT_TRUE(Property(*window, "WM_TRANSIENT_FOR").contains(QStringLiteral("window id"))) << caption;
    }
    return true;
}

class RealWindowManagerTest : public QtPresenterTest {
protected:
    void TearDown() override
    {
        g_LogFile.Close();
        g_MapFile.Close();
        QtPresenterTest::TearDown();
    }
    DialogWindow* Window(const char* caption) { return InnermostDialog(Presenter(), caption); }
    DialogWindow* Main() { return Window("Project Travik"); }
};

TEST_F(RealWindowManagerTest, DialogsOfferOnlyCloseAndTheCloseRequestEndsThemAsEsc)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("weap", "weapons\\pistol\\pistol", "item", "obje").MetaSize(64);
    map.Write(PathOf("test.map"));

    UserScript user(60000);
    user.Then("see the main window's title bar", [&] { return CheckTitleBar(Main(), true); });
    user.Then("choose File > Open Mapfile", [&] { return ChooseMenu(*Main(), {"&File", "&Open Mapfile"}); });
    user.Then("answer the file chooser", [] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (name == nullptr) return false;
        name->setFocus();
        name->setText(QStringLiteral("test.map"));
        PressKey(*chooser, Qt::Key_Return);
        return true;
    });
    user.Then("click the tag", [&] {
        auto* tree = Main() ? dynamic_cast<QTreeView*>(Main()->ControlWidget(IDC_TAG_TREE)) : nullptr;
        if (tree == nullptr || !g_MapFile.IsOpen() || g_Tags[0].m_hItem1 == nullptr) return false;
        QModelIndex tag = dynamic_cast<qtpresenter::TreeModel*>(tree->model())->IndexOf(g_Tags[0].m_hItem1);
        if (!tag.isValid()) return false;
        tree->expand(tag.parent().parent());
        tree->expand(tag.parent());
        return ClickItem(*tree, tag);
    });
    user.Then("see Tag Controls offer only Close, and close it with wmctrl -c", [&] {
        if (!CheckTitleBar(Window("Tag Controls"), false)) return false;
        RunTool(QStringLiteral("wmctrl"), {QStringLiteral("-c"), QStringLiteral("Tag Controls")});
        return true;
    });
    user.Then("find Tag Controls closed and open the Reflexive Calculator", [&] {
        if (Main() == nullptr) return false;
        return ChooseMenu(*Main(), {"&Tools", "&Reflexive Calculator"});
    });
    user.Then("see the calculator offer only Close, and close it with Alt+F4", [&] {
        DialogWindow* window = Window("Reflexive Calculator");
        if (!CheckTitleBar(window, false)) return false;
        const QString id = QString::number(window->winId());
        RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
        RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("alt+F4")});
        return true;
    });
    user.Then("find it closed and close the main window", [&] {
        if (Main() == nullptr) return false;
        PressKey(*Main(), Qt::Key_Escape);
        return true;
    });
    user.Start();
    AfxWinMain(theApp);
    EXPECT_TRUE(user.Finished()) << user.Failure();
}

} // namespace
} // namespace travik::test
