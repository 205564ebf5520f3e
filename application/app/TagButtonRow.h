#pragma once

#include <QFrame>

class CommandRegistry;

// The row of tag buttons under the toolbar, each firing its tag command.
class TagButtonRow : public QFrame {
    Q_OBJECT
public:
    TagButtonRow(CommandRegistry& commands, QWidget* parent);
};
