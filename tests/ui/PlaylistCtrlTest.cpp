// The playlist control over a real document: columns and their stored layout, row dragging, a drop
// from the file manager, sorting from the header and keys (the adding rules: CPlaylistEditorTest).
#include "ui/CPlaylistCtrl.h"
#include "ui/CPlaylistModel.h"
#include "platform/registry/CRegistry.h"
#include "playlist/PlaylistColumn.h"
#include "tests/support/PlaylistFakes.h"
#include "tests/support/TempDir.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

struct Rig {
    FakeIdentifier identifier;
    FakeMessageBox box;
    CPlayerDoc doc{identifier, box};
    std::unique_ptr<CPlaylistCtrl> ctrl;

    explicit Rig(std::vector<std::int32_t> columns = {1, 2, 3, 12, 0})
    {
        doc.SetPlaylistSaver([] { return true; });
        doc.column.fill(0);
        std::copy(columns.begin(), columns.end(), doc.column.begin());
        doc.columnwidth.fill(120);
        ctrl = std::make_unique<CPlaylistCtrl>(doc, box);
        ctrl->resize(600, 400);
    }
    void AddEntries(int count)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back("/m/" + std::to_string(i) + ".mp3");
            identifier.AddFile(paths.back());
        }
        doc.AddFiles(paths);
    }
    std::vector<int> VisibleOrder() const
    {
        std::vector<int> ids;
        QHeaderView *header = ctrl->horizontalHeader();
        for (int v = 0; v < header->count(); ++v)
            if (!header->isSectionHidden(header->logicalIndex(v)))
                ids.push_back(header->logicalIndex(v));
        return ids;
    }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < doc.EntryCount(); ++i)
            paths.push_back(doc.EntryAt(i).m_strPath);
        return paths;
    }
    void Select(std::initializer_list<int> rows)
    {
        ctrl->selectionModel()->clearSelection();
        for (int row : rows)
            ctrl->selectionModel()->select(ctrl->model()->index(row, 1),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
};

void Touch(const std::filesystem::path &path)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path).put('x');
}

} // namespace

TEST(PlaylistCtrl, HeaderTitlesAlignmentAndCells)
{
    Rig rig;
    rig.AddEntries(2);
    const QAbstractItemModel &model = *rig.ctrl->model();
    const char *titles[] = {"", "Filename", "Artist", "Title", "Album", "Genre", "Year", "Type",
                            "Bitrate", "Freq", "Chn", "Filesize", "Duration", "Filepath"};
    for (int c = 0; c < 14; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString().toStdString(), titles[c]);
        const bool centred = c >= kColumnYear && c <= kColumnDuration;
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                  centred ? Qt::AlignHCenter : Qt::AlignLeft) << c;
    }
    EXPECT_TRUE(rig.ctrl->horizontalHeader()->isSectionHidden(0));
    EXPECT_EQ(model.data(model.index(1, kColumnFilename)).toString(), "1.mp3");
    EXPECT_EQ(model.data(model.index(1, kColumnDuration)).toString(), "1:00");
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), "");
}

TEST(PlaylistCtrl, ColumnWidthsSurviveHidingAndLayoutSurvivesSettings)
{
    TempDir dir;
    CRegistry registry(dir.path());
    {
        Rig rig;
        EXPECT_EQ(rig.VisibleOrder(), (std::vector<int>{1, 2, 3, 12}));
        QHeaderView *header = rig.ctrl->horizontalHeader();
        header->resizeSection(kColumnTitle, 333);
        rig.ctrl->ToggleColumn(kColumnTitle);
        EXPECT_FALSE(rig.ctrl->IsColumnShown(kColumnTitle));
        rig.ctrl->ToggleColumn(kColumnTitle);
        EXPECT_EQ(header->sectionSize(kColumnTitle), 333);
        EXPECT_EQ(rig.VisibleOrder(), (std::vector<int>{1, 2, 12, 3})); // shown again as the last column

        header->moveSection(header->visualIndex(kColumnDuration), header->visualIndex(kColumnFilename));
        rig.ctrl->ToggleColumn(kColumnYear);
        rig.ctrl->SaveColumnLayout();
        ASSERT_TRUE(rig.doc.SaveSettingsToRegistry(registry));
    }
    FakeIdentifier identifier;
    FakeMessageBox box;
    CPlayerDoc doc(identifier, box);
    ASSERT_TRUE(doc.LoadSettingsFromRegistry(registry));
    doc.columnwidth[kColumnFilename] = 5; // a stored width below 16 shows as 100
    CPlaylistCtrl ctrl(doc, box);
    std::vector<int> order;
    for (int v = 0; v < ctrl.horizontalHeader()->count(); ++v) {
        const int id = ctrl.horizontalHeader()->logicalIndex(v);
        if (!ctrl.horizontalHeader()->isSectionHidden(id))
            order.push_back(id);
    }
    EXPECT_EQ(order, (std::vector<int>{12, 1, 2, 3, 6}));
    EXPECT_EQ(ctrl.horizontalHeader()->sectionSize(kColumnTitle), 333);
    EXPECT_EQ(ctrl.horizontalHeader()->sectionSize(kColumnFilename), 100);
}

TEST(PlaylistCtrl, DraggingRows)
{
    Rig rig;
    rig.AddEntries(6);
    rig.ctrl->show();
    const auto rowPoint = [&](int row) { return rig.ctrl->visualRect(rig.ctrl->model()->index(row, 1)).center(); };
    const std::vector<std::string> before = rig.Paths();

    // Dropped on a selected row: nothing moves.
    rig.Select({1, 2});
    rig.ctrl->BeginRowDrag(1);
    rig.ctrl->DragMoveTo(rowPoint(2));
    EXPECT_EQ(rig.ctrl->DropTarget(), 2);
    rig.ctrl->EndRowDrag();
    EXPECT_EQ(rig.Paths(), before);

    // Above and below the rows: no target, auto-scroll up or down.
    struct Case { QPoint pos; int target; int step; };
    const Case cases[] = {{QPoint(10, -5), -1, -16}, {QPoint(10, rig.ctrl->viewport()->height() + 5), -1, 16},
                          {rowPoint(4), 4, 0}};
    rig.ctrl->BeginRowDrag(1);
    for (const Case &c : cases) {
        rig.ctrl->DragMoveTo(c.pos);
        EXPECT_EQ(rig.ctrl->DropTarget(), c.target);
        EXPECT_EQ(rig.ctrl->AutoScrollStep(), c.step);
    }
    rig.ctrl->EndRowDrag();
    EXPECT_EQ(rig.Paths(), (std::vector<std::string>{before[0], before[3], before[4], before[1], before[2], before[5]}));

    // The same with the mouse: press on a selected row, move beyond the drag distance, release.
    rig.Select({0});
    QWidget *viewport = rig.ctrl->viewport();
    const auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        QMouseEvent event(type, pos, viewport->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, rowPoint(0), Qt::LeftButton);
    send(QEvent::MouseMove, rowPoint(0) + QPoint(0, 30), Qt::LeftButton);
    send(QEvent::MouseMove, rowPoint(5), Qt::LeftButton);
    EXPECT_TRUE(rig.ctrl->RowDragging());
    EXPECT_EQ(rig.ctrl->DropTarget(), 5);
    EXPECT_TRUE(rig.doc.State().IsSelected(0));
    EXPECT_EQ(rig.doc.State().SelectedCount(), 1);
    send(QEvent::MouseButtonRelease, rowPoint(5), Qt::NoButton);
    EXPECT_FALSE(rig.ctrl->RowDragging());
    EXPECT_EQ(rig.Paths().back(), before[0]);
}

TEST(PlaylistCtrl, AFileManagerDropAddsItsFilesAndShowsTheChosenRow)
{
    TempDir dir;
    Rig rig;
    Touch(dir.path() / "a.ogg");
    rig.identifier.AddFile(dir.file("a.ogg"));
    rig.ctrl->DropPaths({dir.file("a.ogg")});
    EXPECT_EQ(rig.Paths(), std::vector<std::string>{dir.file("a.ogg")});
    EXPECT_EQ(rig.doc.State().SelectedRows(), std::vector<int>{0});
    EXPECT_TRUE(rig.ctrl->selectionModel()->isRowSelected(0, QModelIndex()));
    EXPECT_EQ(rig.ctrl->currentIndex().row(), 0);
}

TEST(PlaylistCtrl, HeaderClickSortsAndKeysAct)
{
    Rig rig;
    for (const char *title : {"b", "c", "a"}) {
        const std::string path = std::string("/m/") + title + ".mp3";
        rig.identifier.AddFile(path);
        rig.identifier.m_files[path].m_strTitle = title;
        rig.doc.AddFiles({path});
    }
    emit rig.ctrl->horizontalHeader()->sectionClicked(kColumnTitle);
    EXPECT_EQ(rig.Paths(), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"}));
    emit rig.ctrl->horizontalHeader()->sectionClicked(kColumnTitle);
    EXPECT_EQ(rig.Paths(), (std::vector<std::string>{"/m/c.mp3", "/m/b.mp3", "/m/a.mp3"}));

    QSignalSpy play(rig.ctrl.get(), &CPlaylistCtrl::playRequested);
    rig.Select({1});
    rig.ctrl->setCurrentIndex(rig.ctrl->model()->index(1, 1));
    QTest::keyClick(rig.ctrl.get(), Qt::Key_Return);
    ASSERT_EQ(play.count(), 1);
    EXPECT_EQ(play.at(0).at(0).toInt(), 1);
    for (const auto &[key, mods] : {std::pair{Qt::Key_Delete, Qt::NoModifier}, std::pair{Qt::Key_Period, Qt::KeypadModifier}}) {
        const int before = rig.doc.EntryCount();
        rig.Select({0});
        QTest::keyClick(rig.ctrl.get(), key, mods);
        EXPECT_EQ(rig.doc.EntryCount(), before - 1);
    }
    EXPECT_EQ(rig.ctrl->model()->rowCount(), 1);
}
