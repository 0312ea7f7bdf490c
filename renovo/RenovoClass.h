// The updater dialog's form: a progress bar and one status line.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QVBoxLayout>

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
        progressBar->setFixedHeight(23);
        progressBar->setValue(24);
        lblStatus = new QLabel(dialog);
        lblStatus->setObjectName(QStringLiteral("lblStatus"));
        lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // The layout keeps the places of the original form (bar at 30,30,
        // 351 wide; status line 17 below it) but gives the status line the
        // height its font needs, so larger fonts keep their descenders.
        auto* layout = new QVBoxLayout(dialog);
        layout->setContentsMargins(30, 30, 17, 12);
        layout->setSpacing(17);
        layout->addWidget(progressBar);
        layout->addWidget(lblStatus);
        layout->activate();
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
