#include "ui/CListAppearance.h"

#include "playlist/CPlayerSettings.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QFontDialog>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

QColor CListAppearance::FromColorRef(std::uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

std::uint32_t CListAppearance::ToColorRef(const QColor &colour)
{
    return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8 |
           static_cast<std::uint32_t>(colour.blue()) << 16;
}

void CListAppearance::Apply(QAbstractItemView &view, const CPlayerSettings &settings)
{
    QFont font(QString::fromStdString(settings.vplfont));
    font.setPointSize(std::clamp(settings.vplsize, 1, 200));
    font.setWeight(settings.vplbold ? QFont::Bold : QFont::Normal);
    font.setItalic(settings.vplitalic != 0);
    view.setFont(font);
    if (auto *table = qobject_cast<QTableView *>(&view))
        table->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);

    QPalette pal = view.palette();
    pal.setColor(QPalette::Base, FromColorRef(settings.vplback));
    pal.setColor(QPalette::Window, FromColorRef(settings.vplback));
    pal.setColor(QPalette::Text, FromColorRef(settings.vplcolour));
    view.setPalette(pal);
    view.viewport()->update();
}

bool CListAppearance::ChooseFont(CPlayerSettings &settings, QWidget *parent)
{
    QFont initial(QString::fromStdString(settings.vplfont), std::clamp(settings.vplsize, 8, 48),
                  settings.vplbold ? QFont::Bold : QFont::Normal, settings.vplitalic != 0);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent, QStringLiteral("Font"));
    if (!ok)
        return false;
    settings.vplfont = chosen.family().toStdString();
    settings.vplsize = std::clamp(chosen.pointSize(), 8, 48);
    settings.vplbold = chosen.weight() >= QFont::Bold ? 1 : 0;
    settings.vplitalic = chosen.italic() ? 1 : 0;
    return true;
}

bool CListAppearance::ChooseTextColour(CPlayerSettings &settings, QWidget *parent)
{
    const QColor colour = QColorDialog::getColor(FromColorRef(settings.vplcolour), parent);
    if (!colour.isValid())
        return false;
    settings.vplcolour = ToColorRef(colour);
    return true;
}

bool CListAppearance::ChooseBackgroundColour(CPlayerSettings &settings, QWidget *parent)
{
    const QColor colour = QColorDialog::getColor(FromColorRef(settings.vplback), parent);
    if (!colour.isValid())
        return false;
    settings.vplback = ToColorRef(colour);
    return true;
}
