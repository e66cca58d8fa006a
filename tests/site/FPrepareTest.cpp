#include "site/FPrepare.h"

#include "support/TempDir.h"
#include "ui/MessageBox.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

namespace {

struct ShownMessage {
    std::string text;
    MessageKind kind;
    MessageButtons buttons;
};

struct ChooserCall {
    QWidget* parent;
    std::string title;
    std::string start;
};

class FPrepareTest : public testing::Test {
protected:
    FPrepareTest()
        : messages_([this](const std::string& text, MessageKind kind, MessageButtons buttons) {
              shown_.push_back({text, kind, buttons});
              return true;
          }),
          window_(
              messages_,
              [this](QWidget* parent, const std::string& title, const std::string& start) {
                  calls_.push_back({parent, title, start});
                  return answer_;
              },
              programDir_.Path().string())
    { }

    TempDir programDir_;
    TempDir site_;
    std::vector<ShownMessage> shown_;
    std::vector<ChooserCall> calls_;
    std::optional<std::string> answer_;
    TMessageBox messages_;
    TfrmPrepare window_;
};

QStringList LabelTexts(const QWidget& window)
{
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

} // namespace

TEST_F(FPrepareTest, StartsEmptyWithTheFixedTexts)
{
    EXPECT_EQ(window_.windowTitle(), "Prepare Web Pages");
    EXPECT_TRUE(LabelTexts(window_).contains("Select folder that contains web pages to prepare:"));
    EXPECT_TRUE(LabelTexts(window_).contains(
        "Code To Insert (This will be generated automatically if your settings are valid):"));
    EXPECT_EQ(window_.edtFolder->text(), "");
    EXPECT_TRUE(window_.edtCode->isReadOnly());
    EXPECT_EQ(window_.chkSubFolders->text(), "Modify files inside subfolders");
    EXPECT_FALSE(window_.chkSubFolders->isChecked());
    EXPECT_EQ(window_.btnBrowse->text(), "Browse");
    EXPECT_EQ(window_.btnStart->text(), "Start");
    EXPECT_EQ(window_.btnCancel->text(), "Cancel");
}

TEST_F(FPrepareTest, HasAFixedFrameWithoutCaptionButtons)
{
    const Qt::WindowFlags flags = window_.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinMaxButtonsHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(window_.layout()->sizeConstraint(), QLayout::SetFixedSize);
}

TEST_F(FPrepareTest, TabsThroughTheControlsInTheirOrder)
{
    std::vector<QWidget*> order;
    QWidget* widget = window_.edtFolder;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != window_.edtFolder);
    EXPECT_EQ(order,
        (std::vector<QWidget*>{window_.edtFolder, window_.btnBrowse, window_.chkSubFolders, window_.btnStart,
            window_.btnCancel, window_.edtCode}));
}

TEST_F(FPrepareTest, BrowseStartsInTheTypedFolderOnlyWhenItExists)
{
    const std::string site = site_.Path().string();
    const std::string program = programDir_.Path().string();
    const std::vector<std::pair<std::string, std::string>> cases
        = {{"", program}, {site, site}, {site + "/missing", program}, {".", program}};
    for (const auto& [typed, start] : cases) {
        calls_.clear();
        window_.edtFolder->setText(QString::fromStdString(typed));
        window_.btnBrowseClick();
        ASSERT_EQ(calls_.size(), 1u);
        EXPECT_EQ(calls_[0].start, start) << "typed: " << typed;
        EXPECT_EQ(calls_[0].title, "Select folder");
        EXPECT_EQ(calls_[0].parent, &window_);
        EXPECT_EQ(window_.edtFolder->text().toStdString(), typed) << "a cancelled choice changes nothing";
    }
}

TEST_F(FPrepareTest, BrowsePutsTheChosenFolderIntoTheEdit)
{
    answer_ = site_.Path().string() + "/caf\xc3\xa9";
    window_.btnBrowse->click();
    EXPECT_EQ(window_.Folder(), *answer_);
}

TEST_F(FPrepareTest, StartRefusesAnythingButAnExistingFolderAndStaysOpen)
{
    WriteWholeFile(site_.File("page.php"), "");
    window_.show();
    for (const std::string& typed : {std::string(), site_.File("missing"), site_.File("page.php"), std::string(".")}) {
        shown_.clear();
        window_.edtFolder->setText(QString::fromStdString(typed));
        window_.btnStart->click();
        ASSERT_EQ(shown_.size(), 1u) << "typed: " << typed;
        EXPECT_EQ(shown_[0].text, "Please provide a valid folder.");
        EXPECT_EQ(shown_[0].kind, MessageKind::Information);
        EXPECT_EQ(shown_[0].buttons, MessageButtons::Ok);
        EXPECT_TRUE(window_.isVisible());
        EXPECT_NE(window_.result(), QDialog::Accepted);
    }
}

TEST_F(FPrepareTest, StartWithAnExistingFolderClosesWithOk)
{
    window_.show();
    window_.edtFolder->setText(QString::fromStdString(site_.Path().string()));
    window_.btnStart->click();
    EXPECT_TRUE(shown_.empty());
    EXPECT_FALSE(window_.isVisible());
    EXPECT_EQ(window_.result(), QDialog::Accepted);
}

TEST_F(FPrepareTest, CancelClosesWithCancelWhateverIsTyped)
{
    window_.show();
    window_.edtFolder->setText(QString::fromStdString(site_.Path().string()));
    window_.btnCancel->click();
    EXPECT_TRUE(shown_.empty());
    EXPECT_FALSE(window_.isVisible());
    EXPECT_EQ(window_.result(), QDialog::Rejected);
}
