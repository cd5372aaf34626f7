#pragma once
// A main window on a settings folder of its own, COM3 mapped to a
// pseudo-terminal, and scripted answers for every box and dialog.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>

#include "meter/FrameEncoder.h"
#include "platform/Pty.h"
#include "platform/gui/Prompts.h"
#include "ui/CMVDoc.h"
#include "ui/CMVView.h"
#include "ui/CMainFrame.h"

namespace mivora::ui::test {

class ScriptedPrompts : public mivora::IPrompts {
  public:
    void Inform(QWidget*, const QString& text) override { informs << text; }
    void Error(QWidget*, const QString& text) override { errors << text; }
    bool AskYesNo(QWidget*, const QString& text) override {
        questions << text;
        return answerYes;
    }
    QString SaveFileName(QWidget*, const QString& proposed, const QString& filter,
                         const QString&) override {
        proposedSaves << proposed;
        filters << filter;
        return savePath;
    }
    QString OpenFileName(QWidget*, const QString& filter) override {
        filters << filter;
        return openPath;
    }

    QStringList informs, errors, questions, proposedSaves, filters;
    bool answerYes = false;
    QString savePath;  // empty: the user cancels
    QString openPath;
};

inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (condition()) return true;
        QTest::qWait(10);
    }
    return condition();
}

class FrameFixture : public ::testing::Test {
  protected:
    // Extra settings lines written before the window is built.
    virtual QString ExtraSettings() const { return QString(); }

    void SetUp() override {
        qputenv("TZ", "UTC");
        ASSERT_TRUE(m_dir.isValid());
        qputenv("MIVORA_CONFIG_DIR", m_dir.path().toLocal8Bit());
        std::string error;
        ASSERT_TRUE(m_pty.Open(error)) << error;
        QFile ini(SettingsPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QString("[COMDevices]\nCOM3=%1\n%2")
                      .arg(QString::fromStdString(m_pty.SlavePath()), ExtraSettings())
                      .toUtf8());
        ini.close();
        m_doc = std::make_unique<CMVDoc>();
        m_frame = std::make_unique<CMainFrame>(*m_doc);
        m_frame->SetPrompts(&m_prompts);
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    void TearDown() override {
        m_frame.reset();
        m_doc.reset();
        qunsetenv("MIVORA_CONFIG_DIR");
    }

    QString SettingsPath() const { return m_dir.filePath("loggerconfig.ini"); }
    QString ReadSettingsText() const {
        QFile f(SettingsPath());
        if (!f.open(QIODevice::ReadOnly)) return QString();
        return QString::fromUtf8(f.readAll());
    }

    CMVView& View() { return m_frame->View(); }
    MeasurementRecord& Record() { return m_doc->Record(); }
    MeterState& State() { return m_frame->State(); }

    void SwitchOn() {
        m_frame->OnOnOff();
        ASSERT_TRUE(State().m_bOnLine) << m_prompts.errors.join("\n").toStdString();
    }

    // One frame from the "meter": raw tenths, status bits, mode, emissivity.
    void Send(int raw, std::uint8_t status = kStatusCelsius, int mode = 0, int emissivity = 95) {
        const RawFrame f = EncodeMeterFrame(mode, emissivity, raw, status);
        std::string error;
        ASSERT_TRUE(m_pty.Write(f.data(), f.size(), error)) << error;
    }
    // Sends a frame and waits until it has been applied.
    void SendAndWait(int raw, std::uint8_t status = kStatusCelsius, int mode = 0) {
        const std::uint64_t before = m_frame->Acquisition().FramesApplied();
        Send(raw, status, mode);
        ASSERT_TRUE(WaitFor([&] { return m_frame->Acquisition().FramesApplied() > before; }));
        QTest::qWait(20);
    }

    QImage GrabDisplay() { return View().m_barDisplay.grab().toImage(); }

    QTemporaryDir m_dir;
    mivora::Pty m_pty;
    ScriptedPrompts m_prompts;
    std::unique_ptr<CMVDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

// Number of pixels of exactly `colour` inside `rect` of `image`.
inline int CountColour(const QImage& image, const QRect& rect, const QColor& colour) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb()) ++n;
    return n;
}

}  // namespace mivora::ui::test
