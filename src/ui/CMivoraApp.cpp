#include "ui/CMivoraApp.h"

#include "platform/gui/Prompts.h"
#include "ui/CMVDoc.h"
#include "ui/CMVView.h"
#include "ui/CMainFrame.h"

namespace mivora::ui {

CommandLineInfo ParseCommandLine(const QStringList& arguments) {
    CommandLineInfo info;
    bool print = false, printTo = false;
    for (const QString& arg : arguments) {
        // Only the print switches are switches; anything else is a path, even
        // when it starts with '/'.
        const QString lower = arg.toLower();
        if (lower == "/p" || lower == "-p") {
            print = true;
        } else if (lower == "/pt" || lower == "-pt") {
            printTo = true;  // printer name, driver and port follow the file name
        } else if (info.fileName.isEmpty()) {
            info.fileName = arg;
        } else if (printTo) {
            info.printTo << arg;
        }
    }
    if (!info.fileName.isEmpty()) {
        info.shell = printTo ? CommandLineInfo::Shell::FilePrintTo
                     : print ? CommandLineInfo::Shell::FilePrint
                             : CommandLineInfo::Shell::FileOpen;
    }
    return info;
}

CMivoraApp::CMivoraApp() = default;

CMivoraApp::~CMivoraApp() {
    m_frame.reset();
    m_doc.reset();
}

bool CMivoraApp::InitInstance(const QStringList& arguments, mivora::IPrompts* prompts) {
    mivora::DialogPrompts dialogs;
    mivora::IPrompts& ask = prompts ? *prompts : dialogs;
    const CommandLineInfo info = ParseCommandLine(arguments);
    m_doc = std::make_unique<CMVDoc>();
    m_frame = std::make_unique<CMainFrame>(*m_doc);
    if (prompts) m_frame->SetPrompts(prompts);
    if (info.shell != CommandLineInfo::Shell::FileNew) {
        QString error;
        if (!m_frame->OpenDocumentFile(info.fileName, error)) {
            ask.Error(nullptr, error);
            m_frame.reset();
            return false;
        }
        if (info.shell != CommandLineInfo::Shell::FileOpen) {
            if (!PrintDirect(info)) {
                ask.Error(nullptr, "Printing from the command line is not available.");
            }
            m_frame.reset();
            return false;
        }
    }
    m_frame->show();
    return true;
}

bool CMivoraApp::PrintDirect(const CommandLineInfo& /*info*/) {
    // The test report's printing hooks in here and through CMVView::OnFilePrint.
    return false;
}

}  // namespace mivora::ui
