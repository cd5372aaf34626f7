#pragma once
// The application object: the document, the main frame and its view, the
// command line.
#include <QString>
#include <QStringList>
#include <memory>

namespace mivora {
class IPrompts;
}

namespace mivora::ui {

class CMVDoc;
class CMainFrame;

struct CommandLineInfo {
    enum class Shell { FileNew, FileOpen, FilePrint, FilePrintTo };
    Shell shell = Shell::FileNew;
    QString fileName;
    QStringList printTo;  // printer, driver, port after /pt
};

// The platform's standard rules: the first plain argument is a file; "/p"
// prints it, "/pt" prints it to the printer named after it. Switches are matched
// without regard to case and may start with '-'.
CommandLineInfo ParseCommandLine(const QStringList& arguments);

class CMivoraApp {
  public:
    CMivoraApp();
    virtual ~CMivoraApp();
    CMivoraApp(const CMivoraApp&) = delete;
    CMivoraApp& operator=(const CMivoraApp&) = delete;

    // Creates the document and the window and processes the command line
    // (arguments without the program name). False: the program ends without a
    // window; the reason was shown through `prompts` (or the standard boxes).
    bool InitInstance(const QStringList& arguments, mivora::IPrompts* prompts = nullptr);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CMVDoc& Document() { return *m_doc; }

  protected:
    // Direct printing of the loaded file; false when nothing could be printed.
    virtual bool PrintDirect(const CommandLineInfo& info, QString* error);

  private:
    std::unique_ptr<CMVDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace mivora::ui
