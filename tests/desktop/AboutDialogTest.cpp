// The About box: its texts, the links' hover highlight, tool tips and clicks, and the WMA notice.
#include "ui/CAboutDialog.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

QStringList LabelTexts(const QDialog &dialog)
{
    QStringList texts;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

TEST(AboutDialogTest, LinksHighlightAndOpenTheirSites)
{
    std::vector<QUrl> opened;
    CAboutDialog dialog(false, nullptr, [&](const QUrl &url) {
        opened.push_back(url);
        return true;
    });
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Melvane"));
    EXPECT_TRUE(LabelTexts(dialog).contains(QStringLiteral("Melvane version 1.5")));
    EXPECT_EQ(dialog.WmaNotice(), nullptr);
    EXPECT_FALSE(dialog.IconLabel()->pixmap().isNull());

    struct Case {
        QWidget *hovered;
        CAboutDialog::Link link;
        const char *url;
    };
    const Case cases[] = {
        {dialog.LinkLabel(CAboutDialog::kHomeLink), CAboutDialog::kHomeLink, CAboutDialog::kHomeUrl},
        {dialog.IconLabel(), CAboutDialog::kHomeLink, CAboutDialog::kHomeUrl},
        {dialog.LinkLabel(CAboutDialog::kAudioLibraryLink), CAboutDialog::kAudioLibraryLink,
         CAboutDialog::kAudioLibraryUrl},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url);
        QLabel *label = dialog.LinkLabel(c.link);
        const CAboutDialog::Link other =
            c.link == CAboutDialog::kHomeLink ? CAboutDialog::kAudioLibraryLink : CAboutDialog::kHomeLink;
        EXPECT_TRUE(label->font().underline());
        EXPECT_TRUE(c.hovered->toolTip().contains(QUrl(QString::fromLatin1(c.url)).host()));
        const QColor normal = label->palette().color(QPalette::WindowText);

        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(c.hovered, &enter);
        EXPECT_TRUE(dialog.IsLinkHighlighted(c.link));
        EXPECT_FALSE(dialog.IsLinkHighlighted(other));
        EXPECT_NE(label->palette().color(QPalette::WindowText), normal);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(c.hovered, &leave);
        EXPECT_FALSE(dialog.IsLinkHighlighted(c.link));
        EXPECT_EQ(label->palette().color(QPalette::WindowText), normal);

        opened.clear();
        QTest::mouseClick(c.hovered, Qt::LeftButton);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], QUrl(QString::fromLatin1(c.url)));
    }
}

TEST(AboutDialogTest, WmaNoticeGrowsTheBox)
{
    CAboutDialog plain(false);
    CAboutDialog withWma(true);
    ASSERT_NE(withWma.WmaNotice(), nullptr);
    EXPECT_FALSE(withWma.WmaNotice()->text().isEmpty());
    EXPECT_EQ(withWma.WmaNotice()->objectName(), QStringLiteral("control1142"));
    EXPECT_GT(withWma.sizeHint().height(), plain.sizeHint().height());
    EXPECT_EQ(LabelTexts(withWma).size(), LabelTexts(plain).size() + 1);
}

} // namespace
