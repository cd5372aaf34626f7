#include "ui/CMivoraApp.h"

#include "platform/gui/Prompts.h"
#include "ui/CMVDoc.h"
#include "ui/CMVView.h"
#include "ui/CMainFrame.h"
#include "ui/DirectPrint.h"

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
            QString printError;
            if (!PrintDirect(info, &printError)) ask.Error(nullptr, printError);
            m_frame.reset();
            return false;
        }
    }
    m_frame->StartJournal();
    m_frame->show();
    return true;
}

bool CMivoraApp::PrintDirect(const CommandLineInfo& info, QString* error) {
    const bool printTo = info.shell == CommandLineInfo::Shell::FilePrintTo;
    const QString printer = printTo && !info.printTo.isEmpty() ? info.printTo.front() : QString();
    CMVView& view = m_frame->View();
    return PrintReportAsRequested(printTo, printer, info.fileName, view.Graph(), view.Record(),
                                  error);
}

}  // namespace mivora::ui
