#pragma once

#include <QStringList>

class QComboBox;
class QWidget;

// An editable list named `name`, holding `items` and showing `text`; what is typed is never
// added to the list.
QComboBox* editableList(const char* name, const QStringList& items, const QString& text,
                        QWidget* parent);
