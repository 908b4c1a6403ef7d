#include "app/AboutBox.h"

#include "ui/OkButtonRow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace marvik::app {

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Marvik..."));
    setModal(true);

    auto *name = new QLabel(QStringLiteral("Marvik"), this);
    name->setObjectName(QStringLiteral("productName"));
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 2);
    nameFont.setBold(true);
    name->setFont(nameFont);
    auto *version = new QLabel(QStringLiteral("Version 1.0"), this);
    version->setObjectName(QStringLiteral("version"));
    for (QLabel *label : {name, version})
        label->setAlignment(Qt::AlignCenter);

    auto *buttons = new ui::OkButtonRow(this);
    m_ok = buttons->button();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addSpacing(16);
    layout->addLayout(buttons);
    setFixedSize(300, 160);
}

void AboutBox::showEvent(QShowEvent *event)
{
    // Centred on the screen, not on the thin main window at its top.
    if (const QScreen *screen = this->screen()) {
        QRect area = frameGeometry();
        area.moveCenter(screen->geometry().center());
        move(area.topLeft());
    }
    QDialog::showEvent(event);
}

} // namespace marvik::app
