// The updater dialog's form: a progress bar and one status line.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>

namespace orvane {

class RenovoClass {
public:
    QProgressBar* progressBar = nullptr;
    QLabel* lblStatus = nullptr;

    void setupUi(QDialog* dialog)
    {
        if (dialog->objectName().isEmpty())
            dialog->setObjectName(QStringLiteral("RenovoClass"));
        dialog->resize(398, 102);
        progressBar = new QProgressBar(dialog);
        progressBar->setObjectName(QStringLiteral("progressBar"));
        progressBar->setGeometry(QRect(30, 30, 351, 23));
        progressBar->setValue(24);
        lblStatus = new QLabel(dialog);
        lblStatus->setObjectName(QStringLiteral("lblStatus"));
        lblStatus->setGeometry(QRect(30, 70, 321, 16));
        retranslateUi(dialog);
        QMetaObject::connectSlotsByName(dialog);
    }

    void retranslateUi(QDialog* dialog)
    {
        dialog->setWindowTitle(QCoreApplication::translate("RenovoClass", "Renovo"));
        lblStatus->setText(QCoreApplication::translate("RenovoClass", "TextLabel"));
    }
};

}  // namespace orvane
