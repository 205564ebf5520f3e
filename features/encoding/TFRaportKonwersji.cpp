#include "encoding/TFRaportKonwersji.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

TFRaportKonwersji::TFRaportKonwersji(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FRaportKonwersji"));
    setWindowTitle(QStringLiteral("Raport zmiany kodowania"));
    PodgladRaportu = new QTextBrowser(this);
    PodgladRaportu->setObjectName(QStringLiteral("PodgladRaportu"));
    PodgladRaportu->setOpenLinks(false);
    LabelZapis = new QLabel(this);
    LabelZapis->setObjectName(QStringLiteral("LabelZapis"));
    LabelZapis->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelZapis->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Zamknij"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PodgladRaportu, 1);
    layout->addWidget(LabelZapis);
    layout->addWidget(buttons);
    resize(720, 560);
}

void TFRaportKonwersji::showReport(const QByteArray& html, const QString& savedAt)
{
    PodgladRaportu->setHtml(QString::fromUtf8(html));
    LabelZapis->setText(savedAt.isEmpty()
                            ? QStringLiteral("Raportu nie zapisano.")
                            : QStringLiteral("Raport zapisano w pliku %1").arg(savedAt));
    show();
    raise();
    activateWindow();
}
