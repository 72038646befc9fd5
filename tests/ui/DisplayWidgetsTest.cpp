// The displays as widgets: the meter's image and redraw rule, the counter's click and tip, and the
// position bar's drag that shows the target on the counter and asks for a seek.
#include "ui/CLevelMeter.h"
#include "ui/CPositionBar.h"
#include "ui/CTimeCounter.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(DisplayWidgets, MeterImageFollowsLevelsAndRedrawsOnlyOnChange)
{
    CLevelMeter meter;
    meter.SetColours(0x00FF00, 0x0000FF);
    meter.resize(207, 40); // bar width 200
    while (meter.Bars().LeftShown() < 255)
        meter.SetLevel(128);
    const QImage &image = meter.Image();
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.size(), QSize(2048, 40));
    EXPECT_EQ(image.pixelIndex(4, 10), 2);       // left bar (top), first segment lit
    EXPECT_EQ(image.pixel(4, 10), 0xFF02FD00u);
    EXPECT_EQ(image.pixelIndex(200, 10), 2 * (49 * 508 / 200) + 2);
    EXPECT_EQ(image.pixelIndex(200, 30), 2 * (49 * 508 / 200) + 3); // right bar (bottom) unlit
    const int renders = meter.RenderCount();
    meter.SetLevel(128);
    EXPECT_EQ(meter.RenderCount(), renders);

    meter.SetMeterEnabled(false);
    for (int i = 0; i < 200; ++i)
        meter.SetLevel(128);
    EXPECT_EQ(meter.Bars().LeftShown(), 0);
    EXPECT_EQ(image.pixelIndex(4, 10), 3);
}

TEST(DisplayWidgets, CounterClickAndPositionBarDrag)
{
    CTimeCounter counter;
    counter.resize(140, 36);
    counter.SetActive(true);
    counter.SetLength(200000);
    counter.SetTime(61000);
    EXPECT_EQ(counter.Text(), "01:01");
    QSignalSpy toggled(&counter, &CTimeCounter::modeToggled);
    QTest::mouseClick(&counter, Qt::LeftButton);
    ASSERT_EQ(toggled.count(), 1);
    EXPECT_EQ(counter.Text(), "-02:19-");
    EXPECT_EQ(counter.toolTip(), "Track Remaining");
    counter.Redraw(true);
    EXPECT_TRUE(counter.TextHidden());
    counter.Redraw(true);
    EXPECT_FALSE(counter.TextHidden());

    CPositionBar bar;
    bar.resize(101, 10);
    bar.AttachCounter(&counter);
    bar.SetLength(200000);
    QSignalSpy seek(&bar, &CPositionBar::seekRequested);
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(51, 5));
    EXPECT_EQ(counter.GetMode(), 2);
    EXPECT_EQ(counter.Text(), "<01:39>"); // x = 50 of 101 pixels
    EXPECT_EQ(counter.toolTip(), "Total Elapsed");
    QMouseEvent move(QEvent::MouseMove, QPointF(0, 5), bar.mapToGlobal(QPointF(0, 5)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
    EXPECT_EQ(counter.Text(), "<00:00>");
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(0, 5));
    ASSERT_EQ(seek.count(), 1);
    EXPECT_EQ(seek.at(0).at(0).toInt(), 0);
    EXPECT_EQ(counter.GetMode(), 1);
}
