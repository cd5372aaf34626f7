#include "platform/gui/Prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace mivora {

namespace {
const char* const kCaption = "Mivora";
}

void DialogPrompts::Inform(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, kCaption, text, QMessageBox::Ok);
}

void DialogPrompts::Error(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, kCaption, text, QMessageBox::Ok);
}

bool DialogPrompts::AskYesNo(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, kCaption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

QString DialogPrompts::SaveFileName(QWidget* parent, const QString& proposedPath,
                                    const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), proposedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString DialogPrompts::OpenFileName(QWidget* parent, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

}  // namespace mivora
