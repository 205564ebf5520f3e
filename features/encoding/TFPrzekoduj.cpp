#include "encoding/TFPrzekoduj.h"

#include "widgets/EditableList.h"

#include "desktop/CommandRegistry.h"
#include "document/DocumentEncodings.h"
#include "document/DocumentPage.h"
#include "document/DocumentSaver.h"
#include "editor/TSynMemo.h"
#include "encoding/CharsetDeclaration.h"
#include "encoding/CharsetDetection.h"
#include "encoding/SiteDeclarations.h"
#include "files/FileAccess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

constexpr int DesignWidth = 255;
constexpr int DesignHeight = 199;
constexpr int ButtonPanelHeight = 41;

QFrame* loweredPanel(const char* name, QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    return panel;
}

QComboBox* encodingList(const char* name, const QStringList& items, const QString& text,
                        QWidget* parent)
{
    QComboBox* list = editableList(name, items, text, parent);
    // Typed text stays as typed: no completion from the entries.
    list->setCompleter(nullptr);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Text, Qt::blue);
    list->setPalette(palette);
    list->lineEdit()->setPalette(palette);
    return list;
}

// Places a control at its design position, wider where its text needs more room.
void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(left, top, qMax(width, widget->sizeHint().width()),
                        height > 0 ? qMax(height, widget->sizeHint().height())
                                   : widget->sizeHint().height());
}

} // namespace

TFPrzekoduj::TFPrzekoduj(DocumentEncodings& encodings, DocumentSaver& saver,
                         CommandRegistry& commands, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_encodings(encodings), m_saver(saver), m_commands(commands)
{
    setObjectName(QStringLiteral("FPrzekoduj"));
    setWindowTitle(QStringLiteral("Zmiana kodowania"));
    setModal(false);
    QFont font = this->font();
    font.setPixelSize(11);
    font.setBold(true);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QFrame* panel = loweredPanel("Panel1", this);
    QFrame* buttonPanel = loweredPanel("Panel2", this);
    buttonPanel->setFixedHeight(ButtonPanelHeight);
    layout->addWidget(panel, 1);
    layout->addWidget(buttonPanel);

    StaticText1 = new QLabel(QStringLiteral("Aktualny system kodowania:"), panel);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    ComboBox1 = encodingList(
        "ComboBox1",
        {QStringLiteral(" Koddowanie  UTF-8"), QStringLiteral(" Kodowanie  ISO-8859-2"),
         QStringLiteral(" Kodowanie   CP-1250"), QStringLiteral("   Kod   Nieznany")},
        QStringLiteral("     Kod Nieznany"), panel);
    StaticText2 = new QLabel(QStringLiteral("Kodowanie docelowe"), panel);
    StaticText2->setObjectName(QStringLiteral("StaticText2"));
    ComboBox2 =
        encodingList("ComboBox2",
                     {QStringLiteral(" Kodowanie  UTF-8"), QStringLiteral("Kodowanie ISO-8859-2"),
                      QStringLiteral(" Kodowanie  CP-1250")},
                     QStringLiteral("  Kodowanie UTF-8"), panel);
    CheckZmiane_Charsetu = new QCheckBox(QStringLiteral("Zmień definicję strony kodowej"), panel);
    CheckZmiane_Charsetu->setObjectName(QStringLiteral("CheckZmiane_Charsetu"));
    CheckZmiane_Charsetu->setChecked(true);
    btnOK = new QPushButton(QStringLiteral("&OK"), buttonPanel);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnAnuluj = new QPushButton(QStringLiteral("&Anuluj"), buttonPanel);
    btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
    // Enter and Esc are not bound to the buttons; Esc closes the dialog like the close box.
    for (QPushButton* button : {btnOK, btnAnuluj}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    place(StaticText1, 56, 12, 0, 0);
    place(ComboBox1, 48, 32, 156, 21);
    place(StaticText2, 64, 60, 0, 0);
    place(ComboBox2, 48, 78, 156, 21);
    place(CheckZmiane_Charsetu, 24, 108, 217, 17);
    place(btnOK, 40, 8, 75, 25);
    place(btnAnuluj, 144, 8, 75, 25);
    const int contentWidth =
        std::max({StaticText1->geometry().right(), ComboBox1->geometry().right(),
                  CheckZmiane_Charsetu->geometry().right(), btnAnuluj->geometry().right()}) +
        8;
    resize(qMax(DesignWidth, contentWidth), DesignHeight);

    setTabOrder(CheckZmiane_Charsetu, ComboBox1);
    setTabOrder(ComboBox1, ComboBox2);
    setTabOrder(ComboBox2, btnOK);
    setTabOrder(btnOK, btnAnuluj);

    connect(ComboBox2, &QComboBox::activated, this, &TFPrzekoduj::ComboBox2Change);
    connect(ComboBox2->lineEdit(), &QLineEdit::textEdited, this, &TFPrzekoduj::ComboBox2Change);
    connect(btnOK, &QPushButton::clicked, this, &TFPrzekoduj::btnOKClick);
    connect(btnAnuluj, &QPushButton::clicked, this, &TFPrzekoduj::btnAnulujClick);
}

void TFPrzekoduj::showForActiveDocument()
{
    if (!m_encodings.activePage())
        return;
    if (!isVisible()) {
        FormShow();
        show();
    }
    raise();
    activateWindow();
}

int TFPrzekoduj::targetIndex() const
{
    return ComboBox2->findText(ComboBox2->currentText(), Qt::MatchFixedString);
}

void TFPrzekoduj::FormShow()
{
    DocumentPage* page = m_encodings.activePage();
    ComboBox1->setEditText(page ? page->encodingName() : QString());
    ComboBox2->setCurrentIndex(0);
    ComboBox2->setEditText(ComboBox2->itemText(0));
    // The declaration is looked for in the text as it is now; one on the first line counts.
    CheckZmiane_Charsetu->setChecked(page &&
                                     findCharsetLine(page->editor()->textBytes()).index >= 0);
    CheckZmiane_Charsetu->setFocus();
}

void TFPrzekoduj::ComboBox2Change()
{
    m_encodings.setSelectedIndex(targetIndex());
}

void TFPrzekoduj::btnOKClick()
{
    const std::optional<Encoding> target = Encoding::fromIndex(targetIndex());
    m_encodings.select(target);
    if (!target || *target == EncodingUnknown) {
        // Text that names no encoding changes nothing, not even how the next save writes.
        m_encodings.followActivePage();
        accept();
        return;
    }
    if (ApplyEncodingChange(*target))
        accept();
}

void TFPrzekoduj::btnAnulujClick()
{
    reject();
}

void TFPrzekoduj::reject()
{
    // A target picked and then cancelled must not change how the document is saved.
    m_encodings.followActivePage();
    QDialog::reject();
}

bool TFPrzekoduj::ApplyEncodingChange(Encoding target)
{
    DocumentPage* page = m_encodings.activePage();
    if (!page)
        return true;
    TSynMemo* editor = page->editor();
    // The charset line rewritten as before, the file's other declarations the same way, and a
    // byte-order mark dropped: one edit, taken back whole if the file cannot be written.
    bool bomDropped = false;
    const std::optional<TextEdit> edit =
        encodingChangeEdit(editor->textBytes(), target, CheckZmiane_Charsetu->isChecked(),
                           siteFileKind(fileNamePart(editor->documentPath())), &bomDropped);
    if (edit)
        editor->replaceRange(edit->position, edit->removed, edit->inserted);

    // All or nothing: a file left as it was keeps its old declaration in the text too.
    bool written = false;
    m_commands.guarded([&] {
        const auto takeBack = qScopeGuard([&] {
            if (!written && edit)
                editor->undo();
        });
        written = m_saver.writeInSelectedEncoding(page);
    });
    if (!written)
        return false;
    // The page names the encoding its file is now in, whether or not the declaration changed.
    m_encodings.setPageEncoding(page, target.name());
    if (bomDropped)
        m_commands.desktop().showMessage(this, QStringLiteral("Zmiana kodowania: usunięto "
                                                              "znacznik BOM z początku pliku."));
    return true;
}
