#include "search/ReplacePreviewDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr qsizetype ShownLine = 120;

QString shortLine(const QString& line)
{
    const QString trimmed = line.trimmed();
    return trimmed.size() > ShownLine ? trimmed.left(ShownLine) + QStringLiteral("…") : trimmed;
}
} // namespace

ReplacePreviewDialog::ReplacePreviewDialog(const QList<FileReplacement>& plans,
                                           const QString& replacement,
                                           const std::function<bool(const QString&)>& isOpen,
                                           QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReplacePreviewDialog"));
    setWindowTitle(QStringLiteral("Zamień w plikach: podgląd"));
    int matches = 0;
    for (const FileReplacement& plan : plans)
        matches += plan.count;
    Label1 = new QLabel(
        QStringLiteral("Zamiana na „%1”: %2 wystąpień w %3 plikach. Odznacz pliki, których nie "
                       "zmieniać. Przed zapisem kopia każdego pliku trafi do folderu kopii.")
            .arg(replacement)
            .arg(matches)
            .arg(plans.size()),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Files = new QTreeWidget(this);
    Files->setObjectName(QStringLiteral("Files"));
    Files->setHeaderLabels({QStringLiteral("Plik"), QStringLiteral("Kodowanie"),
                            QStringLiteral("Zmian"), QStringLiteral("Uwagi")});
    Files->setAlternatingRowColors(true);
    for (const FileReplacement& plan : plans) {
        QString note;
        if (isOpen(plan.path))
            note = QStringLiteral("otwarty: zmiana w zakładce");
        if (plan.unrepresentable > 0)
            note = QStringLiteral("znaki spoza kodowania: %1").arg(plan.unrepresentable);
        auto* item = new QTreeWidgetItem(
            Files, {plan.path, plan.encoding, QString::number(plan.count), note});
        item->setCheckState(0, Qt::Checked);
        item->setTextAlignment(2, Qt::AlignRight);
        for (const ChangedLine& line : plan.preview) {
            auto* before = new QTreeWidgetItem(
                item, {QStringLiteral("%1: przed").arg(line.line), {}, {}, shortLine(line.before)});
            auto* after = new QTreeWidgetItem(
                item, {QStringLiteral("%1: po").arg(line.line), {}, {}, shortLine(line.after)});
            after->setForeground(3, QColor(0, 110, 0));
            before->setForeground(3, QColor(150, 0, 0));
        }
    }
    Files->expandAll();
    Files->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Files->header()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(this);
    Button1 = buttons->addButton(QStringLiteral("&Zamień"), QDialogButtonBox::AcceptRole);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = buttons->addButton(QStringLiteral("&Anuluj"), QDialogButtonBox::RejectRole);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Files, 1);
    layout->addWidget(buttons);
    resize(760, 460);
}

QList<int> ReplacePreviewDialog::chosen() const
{
    QList<int> chosen;
    for (int i = 0; i < Files->topLevelItemCount(); ++i)
        if (Files->topLevelItem(i)->checkState(0) == Qt::Checked)
            chosen << i;
    return chosen;
}
