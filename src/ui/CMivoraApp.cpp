#include "ui/CMivoraApp.h"

#include "platform/gui/Prompts.h"
#include "ui/CMVDoc.h"
#include "ui/CMVView.h"
#include "ui/CMainFrame.h"

namespace mivora::ui {

CommandLineInfo ParseCommandLine(const QStringList& arguments) {
    CommandLineInfo info;
    bool print = false, printTo = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg.startsWith('/') && arg.size() <= 4 && !arg.mid(1).contains('/')) {
            const QString sw = arg.mid(1).toLower();
            if (sw == "p") {
                print = true;
            } else if (sw == "pt") {
                printTo = true;
                // Printer name, driver and port follow the file name.
            } else if (info.error.isEmpty()) {
                info.error = QString("Unknown switch %1").arg(arg);
            }
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
    if (!info.error.isEmpty()) {
        ask.Error(nullptr, info.error);
        return false;
    }
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
            const bool printed = PrintDirect(info);
            m_frame.reset();
            (void)printed;
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
