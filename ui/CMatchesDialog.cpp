#include "ui/CMatchesDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

CMatchesDialog::CMatchesDialog(const std::vector<std::string> &lines, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kCaption));
    auto *layout = new QVBoxLayout(this);
    m_list = MakeList(this);
    m_list->setObjectName(QStringLiteral("matches"));
    FillList(m_list, lines);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMatchesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMatchesDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CMatchesDialog::accept);
    resize(420, 220);
}

QTreeWidget *CMatchesDialog::MakeList(QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setColumnCount(2);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, 90);
    return list;
}

void CMatchesDialog::FillList(QTreeWidget *list, const std::vector<std::string> &lines)
{
    list->clear();
    for (const std::string &line : lines) {
        // "category discid title": the title is everything after the second blank.
        const std::size_t first = line.find(' ');
        const std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
        const QString category = QString::fromUtf8(line.substr(0, first));
        const QString title = second == std::string::npos ? QString() : QString::fromUtf8(line.substr(second + 1));
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{category, title}));
    }
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
}

int CMatchesDialog::Selected() const
{
    QTreeWidgetItem *item = m_list->currentItem();
    return item && item->isSelected() ? m_list->indexOfTopLevelItem(item) : -1;
}
