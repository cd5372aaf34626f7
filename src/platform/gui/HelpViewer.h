#pragma once
// The in-program help viewer: the HTML manual shipped beside the program.
#include <QDialog>
#include <QString>

class QTextBrowser;

namespace mivora {

// help.html in the program's folder.
QString HelpFilePath();
// Joins a folder and a file name with exactly one separator.
QString JoinHelpPath(const QString& folder, const QString& fileName);

class HelpViewer : public QDialog {
    Q_OBJECT
  public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // Loads `path`; false (and a short page saying so) when it cannot be read.
    bool Load(const QString& path);
    QTextBrowser* Browser() const { return m_browser; }

  private:
    QTextBrowser* m_browser;
};

}  // namespace mivora
