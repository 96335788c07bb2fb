// Save Metadata and Inject Metadata in real windows: the buttons of the Tag
// Controls dialog, Qt's file chooser and the editor's message box.
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "res/ResourceIds.h"
#include "tagcontrols/TagInfo.h"
#include "tests/qt/QtTestSupport.h"
#include "tests/support/MapBuilder.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QTextEdit>

namespace travik::test {
namespace {

using qtpresenter::DialogWindow;

class MetadataFilesWindowTest : public QtPresenterTest {
protected:
    void TearDown() override
    {
        g_LogFile.Close();
        g_MapFile.Close();
        QtPresenterTest::TearDown();
    }

    DialogWindow* Window(const char* caption) { return InnermostDialog(Presenter(), caption); }

    // Presses a button of the Tag Controls dialog, answers the chooser and
    // reads the message box.
    void PressAndAnswer(UserScript& user, int button, const QString& file, const QString& message)
    {
        user.Then("press the button", [this, button] {
            DialogWindow* dialog = Window("Tag Controls");
            if (dialog == nullptr) return false;
            dynamic_cast<QAbstractButton*>(dialog->ControlWidget(button))->click();
            return true;
        });
        user.Then("answer the chooser with " + file.toStdString(), [file] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* name = chooser ? chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
            if (name == nullptr) return false;
            name->setFocus();
            name->setText(file);
            PressKey(*chooser, Qt::Key_Return);
            return true;
        });
        user.Then("read the message and close it", [this, message, &user] {
            DialogWindow* box = Window("Message");
            if (box == nullptr) return false;
            auto* text = dynamic_cast<QTextEdit*>(box->ControlWidget(IDC_MESSAGE));
            if (text == nullptr || text->toPlainText() != message)
                user.Fail("the message was " + (text ? text->toPlainText().toStdString() : std::string("missing")));
            PressKey(*box, Qt::Key_Return);
            return true;
        });
    }

    void RunTagControls(int tag, UserScript& user)
    {
        user.Then("close the dialog", [this] {
            DialogWindow* dialog = Window("Tag Controls");
            if (dialog == nullptr) return false;
            PressKey(*dialog, Qt::Key_Escape);
            return true;
        });
        CTagInfo dialog;
        dialog.SetTag(tag);
        user.Start();
        dialog.DoModal();
        EXPECT_TRUE(user.Finished()) << user.Failure();
    }
};

TEST_F(MetadataFilesWindowTest, SaveFromOneTagAndInjectCorrectedIntoAnother)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "shared\\bitmap").MetaSize(32);
    map.AddTag("weap", "source").MetaSize(48).TagRef(0x10, "bitm", 0).Pointer(0x24, 8);
    map.AddTag("weap", "target").Meta(std::string(64, '\x55'));
    map.AddTag("obje", "end").MetaSize(4);
    const MapLayout layout = OpenBuiltMap(map);
    FillTagClassTable();
    LoadOpenMap(nullptr);
    const std::string before = ReadFileBytes(PathOf("test.map"));

    UserScript save;
    PressAndAnswer(save, IDC_SAVE_METADATA, QStringLiteral("source.meta"), QStringLiteral("Metadata saved successfully."));
    RunTagControls(1, save);
    EXPECT_EQ(ReadFileBytes(PathOf("source.meta")), before.substr(layout.metaOffsets[1], 48));

    UserScript inject;
    PressAndAnswer(inject, IDC_INJECT_METADATA, QStringLiteral("source.meta"),
                   QStringLiteral("Inject completed successfully."));
    RunTagControls(2, inject);

    // The saved bytes over the target, the pointer rebased to the target's
    // own byte 8, the reference kept, the target's last bytes kept.
    std::string expected = before;
    std::string block = before.substr(layout.metaOffsets[1], 48);
    block.replace(0x24, 4, Le32(layout.magic + layout.metaOffsets[2] + 8));
    expected.replace(layout.metaOffsets[2], 48, block);
    EXPECT_TRUE(ReadFileBytes(PathOf("test.map")) == expected);
}

} // namespace
} // namespace travik::test
