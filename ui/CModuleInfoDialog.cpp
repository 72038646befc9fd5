#include "ui/CModuleInfoDialog.h"

#include "playlist/CPlayerDoc.h"
#include "tags/CTrackInfo.h"
#include "ui/CToolTipSlider.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>

namespace {

// The fixed labels beside the module's six information lines.
constexpr const char *kInfoLabels = "Tracker:\nLength:\nFilesize:\nOrders:\nChannels:\nInstruments:";

QTableWidget *MakeTable(QWidget *parent, const QStringList &columns, int rows)
{
    auto *table = new QTableWidget(rows, static_cast<int>(columns.size()), parent);
    table->setHorizontalHeaderLabels(columns);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void SetCell(QTableWidget *table, int row, int column, const std::string &text)
{
    table->setItem(row, column, new QTableWidgetItem(QString::fromStdString(text)));
}

} // namespace

CModuleInfoDialog::CModuleInfoDialog(const CPlaylistEntry &entry, CPlayerDoc &doc, QWidget *parent)
    : CInfoDialog(doc, CModuleInfo::Caption(entry.m_nType), entry.m_strPath, parent)
{
    CTrackInfo reader(entry.m_strPath);
    reader.Read(nullptr);
    m_info = CModuleInfo::Read(entry.m_strPath, entry.m_nType, reader.GetLength(), reader.GetChannels(),
                               reader.GetSize());
    m_strOpenedTitle = reader.GetTitle();

    auto *row = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *form = new QFormLayout;
    m_artist = AddEdit(form, "Artist:", reader.GetArtist(), 0);
    m_title = AddEdit(form, "Title:", m_strOpenedTitle, CModuleInfo::TitleLimit(entry.m_nType));
    m_strOpenedTitle = m_title->text().toStdString(); // as the edit holds it, so an untouched title is unchanged
    m_looped = new QCheckBox(QStringLiteral("Looped"), this);
    m_looped->setChecked(reader.IsLoopingModule());
    form->addRow(QString(), m_looped);

    const bool first = entry.m_nType <= kTypeMod8;
    m_mixing = new CToolTipSlider(CToolTipSlider::kMixing, this);
    m_mixing->setValue(entry.m_nMixing != 0 ? entry.m_nMixing - 1 : (first ? doc.mixing1 : doc.mixing2));
    m_panning = new CToolTipSlider(CToolTipSlider::kPanning, this);
    m_panning->setValue(entry.m_nPanning != 0 ? entry.m_nPanning - 1 : (first ? doc.panning1 : doc.panning2));
    form->addRow(m_mixing);
    form->addRow(m_panning);
    left->addLayout(form);
    row->addLayout(left, 1);

    auto *group = new QGroupBox(QString::fromStdString(CModuleInfo::GroupCaption(entry.m_nType)), this);
    FillColumns(group, kInfoLabels, m_info.infoText);
    row->addWidget(group);
    Body()->addLayout(row);

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(SampleTable(), QStringLiteral("Samples"));
    if (!m_info.instruments.empty())
        m_tabs->addTab(InstrumentTable(), QStringLiteral("Instruments"));
    if (!m_info.message.empty()) {
        QString message = QString::fromStdString(m_info.message);
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        auto *text = new QPlainTextEdit(message, m_tabs);
        text->setReadOnly(true);
        QFont font(QString::fromLatin1(kMessageFont), 8);
        if (!QFontDatabase::hasFamily(font.family()))
            font = QFont(QString::fromLatin1(kFallbackFont), 8);
        font.setStyleHint(QFont::TypeWriter);
        text->setFont(font);
        m_tabs->addTab(text, QStringLiteral("Message"));
    }
    Body()->addWidget(m_tabs, 1);
    m_artist->setFocus();
}

QTableWidget *CModuleInfoDialog::SampleTable()
{
    auto *table = MakeTable(this, {QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("Size"),
                                   QStringLiteral("Quality"), QStringLiteral("Looped")},
                            static_cast<int>(m_info.samples.size()));
    for (int i = 0; i < table->rowCount(); ++i) {
        const CModuleSampleRow &sample = m_info.samples[static_cast<std::size_t>(i)];
        SetCell(table, i, 0, std::to_string(i + 1));
        SetCell(table, i, 1, sample.name);
        SetCell(table, i, 2, std::to_string(sample.size));
        SetCell(table, i, 3, sample.is16Bit ? "16 bit" : "8 bit");
        SetCell(table, i, 4, sample.looped ? "Yes" : "No");
    }
    return table;
}

QTableWidget *CModuleInfoDialog::InstrumentTable()
{
    auto *table = MakeTable(this, {QStringLiteral("#"), QStringLiteral("Name")},
                            static_cast<int>(m_info.instruments.size()));
    for (int i = 0; i < table->rowCount(); ++i) {
        SetCell(table, i, 0, std::to_string(i + 1));
        SetCell(table, i, 1, m_info.instruments[static_cast<std::size_t>(i)]);
    }
    return table;
}

CModuleEdit CModuleInfoDialog::Edit() const
{
    CModuleEdit out;
    out.title = m_title->text().toStdString();
    out.openedTitle = m_strOpenedTitle;
    out.artist = m_artist->text().toStdString();
    out.loops = m_looped->isChecked();
    out.mixing = m_mixing->value() + 1;
    out.panning = m_panning->value() + 1;
    return out;
}
