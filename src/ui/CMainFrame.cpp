#include "ui/CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/gui/HelpViewer.h"
#include "ui/CMVDoc.h"
#include "ui/CMVView.h"

// The images are compiled into this static library: register them explicitly.
static void InitMivoraResources() {
    Q_INIT_RESOURCE(mivora);
}

namespace mivora::ui {

const char* const kDataFileFilter = "DataLogger Files (*.Mvrlog)";

namespace {

constexpr int kToolBarHeight = 33;
constexpr int kStatusBarHeight = 20;
constexpr int kPaneWidth = 150;
const char* const kReady = "Ready";

// Shows the wait cursor for as long as it lives.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString ListValueText(float value) {
    if (value >= mivora::kNoValueMarker) return "----";
    return QString::asprintf("%.1f", static_cast<double>(value));
}

}  // namespace

CMainFrame::CMainFrame(CMVDoc& doc, QWidget* parent)
    : QMainWindow(parent),
      m_doc(doc),
      m_acq(doc.Record(), m_state, m_clock, *this),
      m_comm(this),
      m_fs(&mivora::RealFileSystem()) {
    InitMivoraResources();
    // Fixed size, title exactly the program name.
    setWindowTitle("Mivora");
    setObjectName("MainFrame");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(865, 700);
    move(50, 20);
    setWindowIcon(QIcon(":/icons/onoff.png"));

    const mivora::AppSettings settings =
        mivora::ReadSettings(mivora::ProfileFile::Load(mivora::SettingsFilePath()));
    m_state.m_nComPort = settings.nComPort;

    CreateActions();
    m_font = QFont("SimSun");
    m_font.setPixelSize(13);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    m_state.m_bOnLine = false;
    m_state.m_bSampleIndexUnset = true;
    m_state.m_bDataBlink = false;
    m_bShiftDown = false;

    ViewSettings vs;
    vs.nSampleRate = settings.nSampleRate;
    vs.nAlarmHigh = settings.nAlarmHigh;
    vs.nAlarmLow = settings.nAlarmLow;
    vs.nBgColor = settings.nBgColor;
    vs.nLineColor = settings.nLineColor;
    m_view = new CMVView(*this, m_doc, vs);
    setCentralWidget(m_view);

    connect(&m_comm, &mivora::SerialLink::BytesReceived, this, [this](const QByteArray& bytes) {
        m_acq.OnReceive(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        static_cast<std::size_t>(bytes.size()));
    });
    connect(&m_comm, &mivora::SerialLink::LinkLost, this, &CMainFrame::OnLinkLost);
    qApp->installEventFilter(this);

    m_view->OnInitialUpdate();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    // The view's panels are its members but children of this window: the view
    // goes first so each panel leaves this window's child list exactly once.
    delete m_view;
    m_view = nullptr;
}

void CMainFrame::CreateActions() {
    auto make = [this](const QString& text, const QString& icon, const QString& tip,
                       const QString& prompt) {
        auto* action = new QAction(text, this);
        if (!icon.isEmpty()) action->setIcon(QIcon(icon));
        action->setToolTip(tip);
        action->setStatusTip(prompt);
        return action;
    };
    m_actSave = make("&Save", ":/icons/save.png", "Save",
                     "Save the recording as a data file and a text listing");
    m_actOpen = make("&Open...", ":/icons/open.png", "Open", "Open a data file for viewing");
    m_actPrint = make("&Print...\tCtrl+P", ":/icons/print.png", "Print", "Print the test report");
    m_actExit = make("E&xit", "", "Exit", "Quit the program");
    m_actSelectCom = make("Select &COM", ":/icons/selectcom.png", "Select COM",
                          "Next serial port number (with Shift: previous)");
    m_actOnOff =
        make("&On/Off", ":/icons/onoff.png", "On/Off", "Switch the link to the meter on or off");
    m_actUndoZoom =
        make("&UndoZoom", ":/icons/undozoom.png", "UndoZoom", "Show the whole series again");
    m_actClearScreen = make("Clear &Screen", ":/icons/clearscreen.png", "Clear Screen",
                            "Clear the graph; the record is kept");
    m_actClearAll = make("Clear &All", ":/icons/clearall.png", "Clear All",
                         "Clear the graph, the record and the list");
    m_actAbout = make("&About Mivora...", "", "About", "Display program information and version");
    m_actContents = make("&Contents", ":/icons/contents.png", "Help Contents", "Open the manual");

    // The platform's standard commands, reached by keys only.
    m_actStdNew = make("New", "", "New", "");
    m_actStdNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_actStdOpen = make("Open", "", "Open", "");
    m_actStdOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_actStdSave = make("Save", "", "Save", "");
    m_actStdSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_actPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    for (QAction* a : {m_actStdNew, m_actStdOpen, m_actStdSave}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }

    connect(m_actSave, &QAction::triggered, this, [this] { OnSave(); });
    connect(m_actOpen, &QAction::triggered, this, &CMainFrame::OnOpen);
    connect(m_actPrint, &QAction::triggered, this, [this] { m_view->OnFilePrint(); });
    connect(m_actExit, &QAction::triggered, this, &QWidget::close);
    connect(m_actSelectCom, &QAction::triggered, this, &CMainFrame::OnSelectCom);
    connect(m_actOnOff, &QAction::triggered, this, &CMainFrame::OnOnOff);
    connect(m_actUndoZoom, &QAction::triggered, this, [this] { m_view->OnUndoZoom(); });
    connect(m_actClearScreen, &QAction::triggered, this, &CMainFrame::OnClearScreen);
    connect(m_actClearAll, &QAction::triggered, this, &CMainFrame::OnClearAll);
    connect(m_actAbout, &QAction::triggered, this, &CMainFrame::OnAbout);
    connect(m_actContents, &QAction::triggered, this, &CMainFrame::OnHelpContents);
    connect(m_actStdNew, &QAction::triggered, this, &CMainFrame::OnStandardNew);
    connect(m_actStdOpen, &QAction::triggered, this, &CMainFrame::OnStandardOpen);
    connect(m_actStdSave, &QAction::triggered, this, &CMainFrame::OnStandardSave);
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(m_actSave);
    file->addAction(m_actOpen);
    file->addAction(m_actPrint);
    file->addSeparator();
    file->addAction(m_actExit);
    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->addAction(m_actSelectCom);
    tools->addAction(m_actOnOff);
    tools->addAction(m_actUndoZoom);
    tools->addAction(m_actClearScreen);
    tools->addAction(m_actClearAll);
    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction(m_actContents);
    help->addSeparator();
    help->addAction(m_actAbout);
    for (QMenu* menu : {file, tools, help}) {
        connect(menu, &QMenu::aboutToShow, this, [this] {
            if (m_view) m_view->UpdateCommandStates();
        });
    }
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new QToolBar("Toolbar", this);
    m_toolBar->setObjectName("ToolBar");
    m_toolBar->setIconSize(QSize(32, 22));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setFixedHeight(kToolBarHeight);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    const QAction* buttons[] = {m_actSave,        m_actOpen,     m_actPrint,
                                m_actSelectCom,   m_actOnOff,    m_actUndoZoom,
                                m_actClearScreen, m_actClearAll, m_actContents};
    bool first = true;
    for (const QAction* a : buttons) {
        if (!first) m_toolBar->addSeparator();
        m_toolBar->addAction(const_cast<QAction*>(a));
        first = false;
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new QLabel(bar);
        m_panes[i]->setObjectName(QString("StatusPane%1").arg(i));
        m_panes[i]->setFixedWidth(kPaneWidth);
        m_panes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(m_panes[i]);
    }
    m_panes[0]->setText(kReady);
    // The Scroll Lock state cannot be read portably: the indicator is shown as off.
    m_scrl = new QLabel("SCRL", bar);
    m_scrl->setObjectName("StatusScrl");
    m_scrl->setEnabled(false);
    m_scrl->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_scrl->setAlignment(Qt::AlignCenter);
    m_scrl->setFixedWidth(40);
    bar->addWidget(m_scrl);
    bar->addWidget(new QWidget(bar), 1);
}

QRect CMainFrame::ClientRect() const {
    const QWidget* menu = menuWidget();
    int top = 0;
    if (menu) top = menu->isVisible() ? menu->height() : menu->sizeHint().height();
    return QRect(0, top, width(), height() - top);
}

QLabel* CMainFrame::StatusPane(int index) const {
    return index >= 0 && index < 3 ? m_panes[index] : nullptr;
}

void CMainFrame::SetPrompts(mivora::IPrompts* prompts) {
    m_prompts = prompts ? prompts : &m_dialogPrompts;
}

void CMainFrame::SetCommandStates(bool save, bool print, bool undoZoom) {
    m_actSave->setEnabled(save);
    m_actStdSave->setEnabled(save);
    m_actPrint->setEnabled(print);
    m_actUndoZoom->setEnabled(undoZoom);
}

bool CMainFrame::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        m_panes[0]->setText(tip.isEmpty() ? QString(kReady) : tip);
        return true;
    }
    return QMainWindow::event(e);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Shift) {
                m_bShiftDown = e->type() == QEvent::KeyPress;
            } else if (e->type() == QEvent::KeyPress &&
                       (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// --- the core's requests -------------------------------------------------

void CMainFrame::InvalidateArea(mivora::DisplayArea area) {
    if (m_view) m_view->m_barDisplay.InvalidateArea(area);
}

void CMainFrame::InvalidateDisplay() {
    if (m_view) m_view->m_barDisplay.update();
}

void CMainFrame::AppendListRow(const mivora::ListRow& row) {
    if (!m_view) return;
    m_view->m_barList.AppendRow(row);
    m_view->UpdateCommandStates();
}

void CMainFrame::ClearList() {
    if (!m_view) return;
    m_view->m_barList.DeleteAllItems();
    m_view->UpdateCommandStates();
}

void CMainFrame::ClosePort() {
    m_comm.Close();
}

void CMainFrame::ShowCapacityMessage(const std::string& text) {
    m_prompts->Inform(this, QString::fromStdString(text));
}

void CMainFrame::RedrawGraph() {
    m_doc.UpdateAllViews();
}

void CMainFrame::OnLinkLost(const QString& message) {
    m_state.m_bOnLine = false;
    InvalidateArea(mivora::DisplayArea::OnLine);
    m_prompts->Error(this, message);
}

// --- Tools menu ------------------------------------------------------------

void CMainFrame::OnOnOff() {
    m_acq.TakeIntervalOnSwitchOn();
    if (m_doc.Record().IsFull()) {
        if (m_prompts->AskYesNo(this, mivora::kSaveQuestion)) {
            // Without a saved file the full record would be thrown away: keep
            // it, and keep the link off.
            if (OnSave() != SaveOutcome::Saved) return;
        }
        m_acq.RestartFullRecord();
    }
    if (!m_state.m_bOnLine) {
        const mivora::ProfileFile profile = mivora::ProfileFile::Load(mivora::SettingsFilePath());
        const QString device =
            QString::fromStdString(mivora::ComDevicePath(profile, m_state.m_nComPort));
        const mivora::SerialOpenResult result = m_comm.Open(device);
        if (result.ok) {
            m_state.m_bOnLine = true;
        } else {
            m_prompts->Error(this, mivora::SerialOpenErrorMessage(result));
        }
    } else {
        m_comm.Close();
        m_state.m_bOnLine = false;
    }
    InvalidateArea(mivora::DisplayArea::OnLine);
}

void CMainFrame::OnSelectCom() {
    m_acq.SelectCom(m_bShiftDown);
}

void CMainFrame::OnClearScreen() {
    m_acq.ClearScreen();
}

void CMainFrame::OnClearAll() {
    m_acq.ClearAll();
}

// --- File menu ---------------------------------------------------------------

CMainFrame::SaveOutcome CMainFrame::OnSave() {
    const mivora::TimeStamp now = m_clock.Now();
    const QString proposed =
        QDir::current().filePath(QString::fromStdString(mivora::ProposedDataFileName(now)));
    const QString path = m_prompts->SaveFileName(this, proposed, kDataFileFilter, "Mvrlog");
    if (path.isEmpty()) return SaveOutcome::Cancelled;
    mivora::FileResult result;
    {
        const WaitCursor wait;
        result = mivora::SaveRecording(*m_fs, path.toStdString(), now, m_doc.Record(), m_state);
    }
    if (!result.ok) {
        m_prompts->Error(this, QString::fromStdString(result.error));
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

void CMainFrame::OnOpen() {
    const QString path = m_prompts->OpenFileName(this, kDataFileFilter);
    if (path.isEmpty()) return;
    QString error;
    bool ok = false;
    {
        const WaitCursor wait;
        ok = m_doc.Load(*m_fs, path, m_state, error);
    }
    if (!ok) {
        m_prompts->Error(this, error);
        return;
    }
    m_acq.FileLoaded();
    InvalidateDisplay();
    RefillList();
    m_doc.UpdateAllViews();
}

QString CMainFrame::JournalPath() {
    return QString::fromStdString(mivora::SettingsDirectory()) + "/recording.journal";
}

void CMainFrame::StartJournal() {
    const std::string path = JournalPath().toStdString();
    std::string error;
    mivora::JournalContents left;
    bool recovered = false;
    if (QFileInfo::exists(JournalPath()) && mivora::ReadJournal(path, left, error) &&
        !left.entries.empty() &&
        m_prompts->AskYesNo(this, "Recover the readings of an interrupted recording?")) {
        mivora::MeasurementRecord& r = m_doc.Record();
        mivora::RestoreFromJournal(left, r);
        m_view->m_barList.DeleteAllItems();
        FillList(r.m_fValue, r.m_strUnit, r.m_strTime, r.m_nTotalCount);
        RedrawGraph();
        recovered = true;
    }
    error.clear();
    if (!m_journal.Open(path, true, error) || (!recovered && !m_journal.Clear(error))) {
        m_prompts->Error(this,
                         QString::fromStdString("The recovery journal cannot be kept: " + error));
    }
}

void CMainFrame::ReadingCommitted(int index) {
    if (!m_journal.IsOpen()) return;
    std::string error;
    if (!m_journal.AppendReading(m_doc.Record(), index, error) && !m_bJournalWarned) {
        m_bJournalWarned = true;  // once: the recording itself goes on
        m_prompts->Error(
            this, QString::fromStdString("The recovery journal cannot be written: " + error));
    }
}

void CMainFrame::RecordEmptied() {
    std::string error;
    if (m_journal.IsOpen() && !m_journal.Clear(error) && !m_bJournalWarned) {
        m_bJournalWarned = true;
        m_prompts->Error(this, QString::fromStdString(error));
    }
}

void CMainFrame::RefillList() {
    m_view->m_barList.DeleteAllItems();
    const mivora::MeasurementRecord& r = m_doc.Record();
    if (r.m_bReloaded != 1) return;
    FillList(r.m_fScreenValue, r.m_strScreenUnit, r.m_strScreenTime, r.m_nScreenCount);
}

void CMainFrame::FillList(const std::vector<float>& values, const std::vector<std::string>& units,
                          const std::vector<std::string>& times, int count) {
    CReadingListBar& list = m_view->m_barList;
    list.List().setUpdatesEnabled(false);
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        mivora::ListRow row;
        row.index = i;
        row.no = std::to_string(i + 1);
        row.data = ListValueText(values[k]).toStdString();
        row.unit = units[k];
        row.time = times[k];
        list.AppendRow(row, i == count - 1);
    }
    list.List().setUpdatesEnabled(true);
}

bool CMainFrame::OpenDocumentFile(const QString& path, QString& error) {
    bool ok = false;
    {
        const WaitCursor wait;
        ok = m_doc.Load(*m_fs, path, m_state, error);
    }
    if (!ok) return false;
    m_acq.FileLoaded();
    InvalidateDisplay();
    m_doc.UpdateAllViews();
    return true;
}

void CMainFrame::OnStandardNew() {
    // The document is never modified: nothing is asked and nothing cleared.
    m_view->OnInitialUpdate();
}

void CMainFrame::OnStandardOpen() {
    const QString path = m_prompts->OpenFileName(this, "All Files (*)");
    if (path.isEmpty()) return;
    QString error;
    if (!OpenDocumentFile(path, error)) m_prompts->Error(this, error);
}

void CMainFrame::OnStandardSave() {
    if (!m_view->CanSave()) return;
    QString path = m_doc.m_strPathName;
    if (path.isEmpty()) {
        path = m_prompts->SaveFileName(this, QDir::current().filePath("Untitled"), "All Files (*)",
                                       QString());
        if (path.isEmpty()) return;
    }
    mivora::FileResult result;
    {
        const WaitCursor wait;
        result = mivora::SaveDataFileOnly(*m_fs, path.toStdString(), m_doc.Record(), m_state);
    }
    if (!result.ok) {
        m_prompts->Error(this, QString::fromStdString(result.error));
        return;
    }
    m_doc.m_strPathName = path;
}

// --- Help menu -----------------------------------------------------------------

void CMainFrame::OnHelpContents() {
    if (!m_help) m_help = new mivora::HelpViewer(this);
    m_help->Load(mivora::HelpFilePath());
    m_help->show();
    m_help->raise();
}

std::unique_ptr<QDialog> CMainFrame::CreateAboutBox() {
    auto box = std::make_unique<QDialog>(this);
    box->setWindowTitle("About Mivora");
    box->setObjectName("AboutBox");
    box->setFixedSize(470, 110);
    auto* icon = new QLabel(box.get());
    icon->setPixmap(QIcon(":/icons/onoff.png").pixmap(32, 22));
    icon->setGeometry(22, 34, 40, 40);
    auto* text = new QLabel(box.get());
    text->setTextFormat(Qt::PlainText);
    text->setText("Mivora Version 1.0");
    text->setObjectName("AboutText");
    text->setGeometry(80, 20, 238, 16);
    auto* ok = new QPushButton("OK", box.get());
    ok->setDefault(true);
    ok->setGeometry(356, 14, 100, 28);
    connect(ok, &QPushButton::clicked, box.get(), &QDialog::accept);
    return box;
}

void CMainFrame::OnAbout() {
    std::unique_ptr<QDialog> box = CreateAboutBox();
    box->exec();
}

// --- closing -------------------------------------------------------------------

void CMainFrame::WriteSettingsFile() {
    if (m_state.m_bSampleIndexUnset) m_state.m_nSampleIndex = m_state.m_nIntervalIndex;
    mivora::AppSettings s;
    s.nComPort = m_state.m_nComPort;
    s.nSampleRate = m_state.m_nSampleIndex;
    s.nAlarmHigh = m_view->m_nAlarmHigh;
    s.nAlarmLow = m_view->m_nAlarmLow;
    s.nBgColor = m_nBgColor;
    s.nLineColor = m_nLineColor;
    const std::string path = mivora::SettingsFilePath();
    // Keys of other sections (the port map) are kept.
    mivora::ProfileFile profile = mivora::ProfileFile::Load(path);
    mivora::WriteSettings(profile, s);
    std::string error;
    if (!profile.Save(path, error)) m_prompts->Error(this, QString::fromStdString(error));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    WriteSettingsFile();
    if (m_doc.Record().m_nTotalCount > 1 && m_prompts->AskYesNo(this, mivora::kSaveQuestion)) {
        if (OnSave() != SaveOutcome::Saved) {
            // Nothing was written: closing now would lose the readings.
            event->ignore();
            return;
        }
    }
    m_comm.Close();
    if (m_help) m_help->close();
    // A clean end: nothing to recover at the next start.
    m_journal.Remove();
    event->accept();
    QCoreApplication::quit();
}

}  // namespace mivora::ui
