// Prints how long the playlist control takes, offscreen, with 10000 entries: building the rows (a
// model reset and the view's layout and first paint), sorting by a column through the header click,
// and scrolling one page (with a paint). A paint of an empty list is timed beside them as the
// baseline. The target is well under 50 ms each.
// With "--grab FOLDER" it also saves pictures of the list and the displays there (list.png, displays.png).

#include "ui/CLevelMeter.h"
#include "core/CMessageBox.h"
#include "ui/CPositionBar.h"
#include "ui/CTimeCounter.h"
#include "ui/CToolTipSlider.h"
#include "playlist/CPlayerDoc.h"
#include "ui/CPlaylistCtrl.h"
#include "playlist/IEntryIdentifier.h"
#include "playlist/PlaylistColumn.h"

#include "tests/support/FakeMessageBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

class CountingIdentifier : public IEntryIdentifier {
public:
    bool Identify(const std::string &path, CPlaylistEntry &entry) override
    {
        const unsigned n = static_cast<unsigned>(std::stoul(path.substr(path.rfind('/') + 1)));
        entry.m_strPath = path;
        entry.m_nType = 1 + static_cast<int>(n % 11);
        entry.m_strTitle = "Title " + std::to_string((n * 7919u) % 10000u);
        entry.m_strArtist = "Artist " + std::to_string(n % 97);
        entry.m_nDuration = static_cast<int>(n % 3000);
        entry.m_nSize = n * 1013u;
        entry.m_nBitrate = 128;
        return true;
    }
};

template <typename F>
double TimeMs(F &&f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CountingIdentifier identifier;
    FakeMessageBox box;
    CPlayerDoc doc(identifier, box);
    doc.SetPlaylistSaver([] { return true; });
    CPlaylistCtrl ctrl(doc, box);
    ctrl.resize(800, 600);
    ctrl.show();
    const auto paint = [&] { ctrl.viewport()->repaint(); };

    const double baseline = TimeMs(paint);
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; ++i)
        paths.push_back("/music/" + std::to_string(i));
    doc.AddFiles(paths);
    const double build = TimeMs([&] {
        doc.RebuildRows();
        QCoreApplication::processEvents();
        paint();
    });
    const double sort = TimeMs([&] {
        emit ctrl.horizontalHeader()->sectionClicked(kColumnTitle);
        QCoreApplication::processEvents();
        paint();
    });
    const double reverse = TimeMs([&] {
        emit ctrl.horizontalHeader()->sectionClicked(kColumnTitle);
        QCoreApplication::processEvents();
        paint();
    });
    QScrollBar *bar = ctrl.verticalScrollBar();
    const double page = TimeMs([&] {
        bar->setValue(bar->value() + bar->pageStep());
        paint();
    });
    std::printf("rows: %d\n", ctrl.model()->rowCount());
    std::printf("empty-list paint (baseline): %8.2f ms\n", baseline);
    std::printf("build 10000 rows:            %8.2f ms\n", build);
    std::printf("sort by Title (header):      %8.2f ms\n", sort);
    std::printf("sort again (reverse):        %8.2f ms\n", reverse);
    std::printf("scroll one page:             %8.2f ms\n", page);
    if (argc > 2 && std::string(argv[1]) == "--grab") {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        ctrl.grab().save(folder + "/list.png");
        QWidget panel;
        panel.resize(420, 90);
        panel.setStyleSheet("background: black");
        CTimeCounter counter(&panel);
        counter.setGeometry(0, 0, 140, 40);
        counter.ApplySettings(doc);
        counter.SetActive(true);
        counter.SetLength(400000);
        counter.SetTime(201000);
        CLevelMeter meter(&panel);
        meter.setGeometry(150, 0, 260, 40);
        meter.SetColours(doc.meter1, doc.meter2);
        for (int i = 0; i < 10; ++i)
            meter.SetLevel(100u | 60u << 16);
        CPositionBar bar(&panel);
        bar.setGeometry(0, 46, 410, 10);
        bar.SetLength(400000);
        bar.SetPosition(201000);
        CToolTipSlider slider(CToolTipSlider::kVolume, &panel);
        slider.setGeometry(0, 60, 200, 26);
        slider.SetPosition(75);
        panel.show();
        QCoreApplication::processEvents();
        panel.grab().save(folder + "/displays.png");
    }
    return 0;
}
