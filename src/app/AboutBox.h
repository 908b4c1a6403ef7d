#pragma once

#include <QDialog>

class QPushButton;

namespace marvik::app {

// "About Marvik...": the product name and version, closed with "&Ok".
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget *parent = nullptr);

    QPushButton *okButton() const { return m_ok; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *m_ok = nullptr;
};

} // namespace marvik::app
