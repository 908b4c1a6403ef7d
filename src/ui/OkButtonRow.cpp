#include "ui/OkButtonRow.h"

#include <QDialog>
#include <QPushButton>

namespace marvik::ui {

OkButtonRow::OkButtonRow(QDialog *dialog)
    : m_ok(new QPushButton(QStringLiteral("&Ok"), dialog))
{
    m_ok->setDefault(true);
    QObject::connect(m_ok, &QPushButton::clicked, dialog, &QDialog::accept);
    addStretch();
    addWidget(m_ok);
    addStretch();
}

} // namespace marvik::ui
