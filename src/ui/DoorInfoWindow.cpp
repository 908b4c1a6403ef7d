#include "ui/DoorInfoWindow.h"

#include "ui/OkButtonRow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace marvik::ui {

DoorInfoWindow::DoorInfoWindow(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("DOOR.ID Information..."));
    setModal(true);
    m_first = new QLabel(this);
    m_second = new QLabel(this);
    for (QLabel *label : {m_first, m_second}) {
        label->setAlignment(Qt::AlignCenter);
        // Door and system names come from the packet: never interpret them as markup.
        label->setTextFormat(Qt::PlainText);
    }
    auto *buttons = new OkButtonRow(this);
    m_ok = buttons->button();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_first);
    layout->addWidget(m_second);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setMinimumWidth(380);
}

void DoorInfoWindow::showDoorInfo(const QString &firstLine, const QString &secondLine)
{
    m_first->setText(firstLine);
    m_second->setText(secondLine);
    adjustSize();
    exec();
}

QString DoorInfoWindow::firstLine() const
{
    return m_first->text();
}

QString DoorInfoWindow::secondLine() const
{
    return m_second->text();
}

} // namespace marvik::ui
