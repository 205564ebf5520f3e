#include "search/FindInFilesDialog.h"

#include "desktop/Desktop.h"
#include "search/SearchState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QComboBox* historyBox(const char* name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(36);
    return box;
}

void remember(QComboBox* box)
{
    const QString text = box->currentText();
    QStringList history;
    for (int i = 0; i < box->count(); ++i)
        if (!box->itemText(i).isEmpty())
            history << box->itemText(i);
    history.removeAll(text);
    history.prepend(text);
    box->clear();
    box->addItems(history.mid(0, 10));
    box->setEditText(text);
}

} // namespace

QString findInFilesProblem(const FindQuery& query, const QString& folder)
{
    if (query.text.isEmpty())
        return QStringLiteral("Podaj szukany tekst.");
    if (folder.isEmpty())
        return QStringLiteral("Podaj folder, w którym szukać.");
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("Folder %1 nie istnieje.").arg(folder);
    const FileSearchPattern pattern(query);
    return pattern.isValid() ? QString() : pattern.errorMessage();
}

FindInFilesDialog::FindInFilesDialog(Desktop& desktop, bool replacing, QWidget* parent)
    : QDialog(parent), m_desktop(desktop)
{
    setObjectName(replacing ? QStringLiteral("ReplaceInFilesDialog")
                            : QStringLiteral("FindInFilesDialog"));
    setWindowTitle(replacing ? QStringLiteral("Zamień w plikach")
                             : QStringLiteral("Szukaj w plikach"));
    auto* form = new QFormLayout;
    FindText = historyBox("FindText", this);
    form->addRow(QStringLiteral("&Szukany tekst:"), FindText);
    if (replacing) {
        ReplaceText = historyBox("ReplaceText", this);
        form->addRow(QStringLiteral("&Zastąp tekstem:"), ReplaceText);
    }
    Folder = new QLineEdit(this);
    Folder->setObjectName(QStringLiteral("Folder"));
    btnFolder = new QPushButton(QStringLiteral("&Wybierz..."), this);
    btnFolder->setObjectName(QStringLiteral("btnFolder"));
    btnFolder->setAutoDefault(false);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Folder, 1);
    folderRow->addWidget(btnFolder);
    auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), this);
    folderLabel->setBuddy(Folder);
    form->addRow(folderLabel, folderRow);
    FileKinds = new QLineEdit(siteFilePatterns().join(QLatin1Char(' ')), this);
    FileKinds->setObjectName(QStringLiteral("FileKinds"));
    FileKinds->setCursorPosition(0);
    FileKinds->setToolTip(
        QStringLiteral("Wzorce nazw plików oddzielone spacjami, np. *.htm *.php; puste: "
                       "wszystkie pliki"));
    form->addRow(QStringLiteral("&Rodzaje plików:"), FileKinds);

    auto* options = new QGroupBox(QStringLiteral(" Opcje "), this);
    options->setObjectName(QStringLiteral("Options"));
    CaseSensitive = new QCheckBox(QStringLiteral("Uwzględnij wielkość liter"), options);
    CaseSensitive->setObjectName(QStringLiteral("CaseSensitive"));
    Wholewords = new QCheckBox(QStringLiteral("Tylko całe wyrazy"), options);
    Wholewords->setObjectName(QStringLiteral("Wholewords"));
    RegularExpression = new QCheckBox(QStringLiteral("Wyrażenie regularne"), options);
    RegularExpression->setObjectName(QStringLiteral("RegularExpression"));
    auto* optionsLayout = new QVBoxLayout(options);
    for (QCheckBox* box : {CaseSensitive, Wholewords, RegularExpression})
        optionsLayout->addWidget(box);

    auto* buttons = new QDialogButtonBox(this);
    Button1 = buttons->addButton(replacing ? QStringLiteral("&Pokaż zmiany...")
                                           : QStringLiteral("&Szukaj"),
                                 QDialogButtonBox::AcceptRole);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = buttons->addButton(QStringLiteral("&Anuluj"), QDialogButtonBox::RejectRole);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FindInFilesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnFolder, &QPushButton::clicked, this, &FindInFilesDialog::btnFolderClick);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(options);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void FindInFilesDialog::setSearchText(const QString& text)
{
    if (!text.isEmpty())
        FindText->setEditText(text);
    FindText->lineEdit()->selectAll();
    FindText->setFocus();
}

void FindInFilesDialog::suggestFolder(const QString& folder)
{
    if (Folder->text().isEmpty())
        Folder->setText(folder);
}

FindQuery FindInFilesDialog::query() const
{
    return {FindText->currentText(), CaseSensitive->isChecked(), Wholewords->isChecked(),
            RegularExpression->isChecked()};
}

QString FindInFilesDialog::replacement() const
{
    return ReplaceText ? ReplaceText->currentText() : QString();
}

QString FindInFilesDialog::folder() const
{
    return Folder->text().trimmed();
}

QString FindInFilesDialog::patterns() const
{
    return FileKinds->text();
}

void FindInFilesDialog::accept()
{
    const QString problem = findInFilesProblem(query(), folder());
    if (!problem.isEmpty()) {
        m_desktop.showError(this, problem);
        return;
    }
    remember(FindText);
    if (ReplaceText)
        remember(ReplaceText);
    QDialog::accept();
}

void FindInFilesDialog::btnFolderClick()
{
    if (const std::optional<QString> chosen =
            m_desktop.chooseFolder(this, QStringLiteral("Wybierz folder"), Folder->text()))
        Folder->setText(*chosen);
}
