#include "widgets/EditableList.h"

#include <QComboBox>

QComboBox* editableList(const char* name, const QStringList& items, const QString& text,
                        QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(items);
    list->setEditText(text);
    return list;
}
