#include "platform/gui/HelpViewer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace mivora {

QString JoinHelpPath(const QString& folder, const QString& fileName) {
    if (folder.endsWith('/') || folder.endsWith('\\')) return folder + fileName;
    return folder + '/' + fileName;
}

QString HelpFilePath() {
    return JoinHelpPath(QCoreApplication::applicationDirPath(), "help.html");
}

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this)) {
    setWindowTitle("Mivora Help");
    resize(720, 640);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setOpenExternalLinks(true);
}

bool HelpViewer::Load(const QString& path) {
    const QFileInfo info(path);
    if (!info.isReadable()) {
        m_browser->setHtml(
            QString("<h1>Help is not available</h1><p>The manual <b>%1</b> could not be read.</p>")
                .arg(path.toHtmlEscaped()));
        return false;
    }
    m_browser->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    return true;
}

}  // namespace mivora
