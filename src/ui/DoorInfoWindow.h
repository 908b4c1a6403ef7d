#pragma once

#include "ui/DoorInfoDisplay.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace marvik::ui {

// "DOOR.ID Information...": which mail door and BBS software made the packet.
class DoorInfoWindow : public QDialog, public DoorInfoDisplay
{
    Q_OBJECT

public:
    explicit DoorInfoWindow(QWidget *parent = nullptr);

    // Shows both lines and waits for "&Ok".
    void showDoorInfo(const QString &firstLine, const QString &secondLine) override;

    QString firstLine() const;
    QString secondLine() const;
    QPushButton *okButton() const { return m_ok; }

private:
    QLabel *m_first = nullptr;
    QLabel *m_second = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace marvik::ui
