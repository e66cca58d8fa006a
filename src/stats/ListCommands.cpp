// The lists' keys, and what a running request holds back.
#include "stats/ListCommands.h"

#include "ui/LinkListView.h"
#include "ui/UnexpectedError.h"

#include <QAbstractItemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

TListCommands::TListCommands(TMessageBox& messages, SaveFileChooser chooseSaveFile,
    std::function<void(const std::string&)> openUrl, ListCommandsView view, QWidget* dialogParent)
    : messages_(messages),
      chooseSaveFile_(std::move(chooseSaveFile)),
      openUrl_(std::move(openUrl)),
      view_(view),
      dialogParent_(dialogParent)
{
    // A fill replaces the rows and a filter or a sort rearranges them: the count follows both.
    const QAbstractItemModel* pages = view_.lvwPages->model();
    connect(pages, &QAbstractItemModel::modelReset, this, [this] { RunGuarded([this] { ShowFilterState(); }); });
    connect(pages, &QAbstractItemModel::layoutChanged, this, [this] { RunGuarded([this] { ShowFilterState(); }); });
    InstallKeys();
}

TListCommands::~TListCommands() = default;

void TListCommands::InstallKeys()
{
    // The filter field is on screen whenever the lists are, so its window's keys are theirs.
    auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), view_.edtPageFilter);
    connect(refresh, &QShortcut::activated, view_.btnRevfreshSegments, &QPushButton::click);
    auto* find = new QShortcut(QKeySequence::Find, view_.edtPageFilter);
    connect(find, &QShortcut::activated, this, [this] {
        view_.edtPageFilter->setFocus(Qt::ShortcutFocusReason);
        view_.edtPageFilter->selectAll();
    });
    for (QObject* watched : std::initializer_list<QObject*>{view_.edtPageFilter, view_.lvwPages, view_.lvwReferers})
        watched->installEventFilter(this);
}

bool TListCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == view_.edtPageFilter) {
        if (key->key() != Qt::Key_Escape || view_.edtPageFilter->text().isEmpty())
            return false;
        view_.edtPageFilter->clear();
        return true;
    }
    const bool pages = watched == view_.lvwPages;
    if (key->matches(QKeySequence::Copy)) {
        RunGuarded([&] { pages ? CopyPages() : CopyReferers(); });
        return true;
    }
    if (key->matches(QKeySequence::SelectAll)) {
        if (!pages) {
            view_.lvwReferers->selectAll();
        } else if (view_.btnSSelectAll->isEnabled()) {
            // The page list's own selection is its check boxes: all of them shown, and no
            // highlighted row besides, so that Copy and Delete then take every page shown.
            view_.btnSSelectAll->click();
            view_.lvwPages->clearSelection();
        }
        return true;
    }
    if (pages && key->matches(QKeySequence::Delete)) {
        view_.btnDeleteSeg->click();
        return true;
    }
    return false;
}

void TListCommands::SetCommandsEnabled(bool enabled)
{
    commandsEnabled_ = enabled;
    ShowDeleteAllState();
}
