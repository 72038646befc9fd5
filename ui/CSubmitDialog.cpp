#include "ui/CSubmitDialog.h"

#include "core/CMessageBox.h"
#include "ui/CMatchesDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <set>

CSubmitDialog::CSubmitDialog(const std::vector<std::string> &existing, CMessageBox &messageBox, QWidget *parent)
    : QDialog(parent), m_messageBox(messageBox)
{
    setWindowTitle(QString::fromLatin1(kCaption));
    auto *layout = new QVBoxLayout(this);
    m_update = new QRadioButton(QStringLiteral("Update an existing database entry:"), this);
    m_update->setObjectName(QStringLiteral("update"));
    m_entries = CMatchesDialog::MakeList(this);
    m_entries->setObjectName(QStringLiteral("entries"));
    CMatchesDialog::FillList(m_entries, existing);
    m_create = new QRadioButton(QStringLiteral("Create a new database entry under the following category:"), this);
    m_create->setObjectName(QStringLiteral("create"));
    m_category = new QComboBox(this);
    m_category->setObjectName(QStringLiteral("category"));
    std::set<std::string> taken;
    for (const std::string &line : existing)
        taken.insert(line.substr(0, line.find(' ')));
    for (const std::string &category : CFreedbClient::Categories())
        if (!taken.count(category))
            m_category->addItem(QString::fromStdString(category));
    m_category->setCurrentIndex(-1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(m_update);
    layout->addWidget(m_entries);
    layout->addWidget(m_create);
    layout->addWidget(m_category);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSubmitDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSubmitDialog::reject);
    connect(m_update, &QRadioButton::toggled, this, &CSubmitDialog::UpdateEnabled);
    connect(m_create, &QRadioButton::toggled, this, &CSubmitDialog::UpdateEnabled);
    if (existing.empty()) {
        m_update->setEnabled(false);
        m_create->setChecked(true);
    } else {
        m_update->setChecked(true);
    }
    UpdateEnabled();
    resize(440, 300);
}

void CSubmitDialog::UpdateEnabled()
{
    const bool update = m_update->isChecked();
    m_entries->setEnabled(update && m_update->isEnabled());
    m_category->setEnabled(!update);
}

void CSubmitDialog::accept()
{
    CFreedbWorker::Answer choice;
    choice.confirmed = true;
    if (m_create->isChecked()) {
        if (m_category->currentIndex() < 0) {
            m_messageBox.Show(kNoCategoryMessage, CMessageBox::kOk, CMessageBox::kIconWarning);
            return;
        }
        choice.newEntry = true;
        choice.category = m_category->currentText().toStdString();
    } else {
        QTreeWidgetItem *item = m_entries->currentItem();
        choice.index = item ? m_entries->indexOfTopLevelItem(item) : -1;
        if (choice.index < 0)
            return;
    }
    m_choice = choice;
    QDialog::accept();
}
