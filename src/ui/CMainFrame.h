#pragma once
// The program's one top-level window: menus, toolbar, status bar, the serial
// link and the commands of the File and Tools menus. The core's acquisition
// tells it what to redraw; it forwards that to the view's panels.
#include <QAction>
#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "meter/Acquisition.h"
#include "platform/SerialLink.h"
#include "platform/gui/Prompts.h"
#include "record/DataFile.h"
#include "record/Journal.h"
#include "record/MeasurementRecord.h"

class QDialog;
class QToolBar;

namespace mivora {
class HelpViewer;
}

namespace mivora::ui {

class CMVDoc;
class CMVView;

extern const char* const kDataFileFilter;  // "DataLogger Files (*.Mvrlog)"

class CMainFrame : public QMainWindow, public mivora::IAcquisitionSink {
    Q_OBJECT
  public:
    enum class SaveOutcome { Saved, Cancelled, Failed };

    // Reads the settings file, builds the bars, the view and its panels.
    explicit CMainFrame(CMVDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    mivora::MeterState& State() { return m_state; }
    const mivora::MeterState& State() const { return m_state; }
    mivora::Acquisition& Acquisition() { return m_acq; }
    CMVView& View() { return *m_view; }
    CMVDoc& Document() { return m_doc; }
    mivora::SerialLink& Link() { return m_comm; }
    // The frame's client area (below the menu bar) in window coordinates.
    QRect ClientRect() const;
    QLabel* StatusPane(int index) const;
    QToolBar* ToolBar() const { return m_toolBar; }

    // Message boxes and file dialogs go through this; tests answer them.
    void SetPrompts(mivora::IPrompts* prompts);
    mivora::IPrompts& Prompts() { return *m_prompts; }
    void SetFileSystem(mivora::IFileSystem* fs) { m_fs = fs; }

    // Commands.
    void OnOnOff();
    void OnSelectCom();
    void OnClearScreen();
    void OnClearAll();
    SaveOutcome OnSave();
    void OnOpen();
    void OnStandardNew();
    void OnStandardOpen();
    void OnStandardSave();
    void OnHelpContents();
    void OnAbout();
    std::unique_ptr<QDialog> CreateAboutBox();
    // Loads a data file the way the standard open does (no list refill).
    bool OpenDocumentFile(const QString& path, QString& error);
    // The close step's first part: the six settings, in their order.
    void WriteSettingsFile();

    void SetCommandStates(bool save, bool print, bool undoZoom);

    QAction* m_actSave = nullptr;
    QAction* m_actOpen = nullptr;
    QAction* m_actPrint = nullptr;
    QAction* m_actExit = nullptr;
    QAction* m_actSelectCom = nullptr;
    QAction* m_actOnOff = nullptr;
    QAction* m_actUndoZoom = nullptr;
    QAction* m_actClearScreen = nullptr;
    QAction* m_actClearAll = nullptr;
    QAction* m_actAbout = nullptr;
    QAction* m_actContents = nullptr;
    QAction* m_actStdNew = nullptr;
    QAction* m_actStdOpen = nullptr;
    QAction* m_actStdSave = nullptr;

    // The font the trend graph writes its text with: 10 points ("SimSun", which
    // falls back to the system's sans), 13 pixels at 96 dpi.
    QFont m_font;

    int m_nBgColor = 14;
    int m_nLineColor = 2;
    bool m_bShiftDown = false;

    // IAcquisitionSink
    void InvalidateArea(mivora::DisplayArea area) override;
    void InvalidateDisplay() override;
    void AppendListRow(const mivora::ListRow& row) override;
    void ClearList() override;
    void ClosePort() override;
    void ShowCapacityMessage(const std::string& text) override;
    void RedrawGraph() override;
    void ReadingCommitted(int index) override;
    void RecordEmptied() override;

    // The recovery journal in the settings folder: offers the readings an unclean
    // end left behind, then journals every committed reading.
    void StartJournal();
    static QString JournalPath();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void RefillList();
    // Rows 1..count of the reading list from one series.
    void FillList(const std::vector<float>& values, const std::vector<std::string>& units,
                  const std::vector<std::string>& times, int count);
    void OnLinkLost(const QString& message);

    CMVDoc& m_doc;
    mivora::MeterState m_state;
    mivora::SystemClock m_clock;
    mivora::Acquisition m_acq;
    mivora::SerialLink m_comm;
    mivora::DialogPrompts m_dialogPrompts;
    mivora::IPrompts* m_prompts = &m_dialogPrompts;
    mivora::IFileSystem* m_fs = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_panes[3] = {nullptr, nullptr, nullptr};
    QLabel* m_scrl = nullptr;
    CMVView* m_view = nullptr;
    mivora::HelpViewer* m_help = nullptr;
    mivora::Journal m_journal;
    bool m_bJournalWarned = false;
};

}  // namespace mivora::ui
