#pragma once

#include <QHBoxLayout>

class QDialog;
class QPushButton;

namespace marvik::ui {

// The centred "&Ok" button that closes the program's small notice dialogs.
class OkButtonRow : public QHBoxLayout
{
public:
    explicit OkButtonRow(QDialog *dialog);

    QPushButton *button() const { return m_ok; }

private:
    QPushButton *m_ok;
};

} // namespace marvik::ui
