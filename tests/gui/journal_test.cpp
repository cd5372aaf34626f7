// The recovery journal of the window: readings committed before an unclean end
// are offered at the next start; a clean close leaves nothing to recover.
#include <QFileInfo>
#include <QTest>

#include "GuiFixture.h"
#include "ui/CMivoraApp.h"

namespace mivora::ui::test {
namespace {

class JournalWindowTest : public FrameFixture {
  protected:
    // Records readings with the journal on, then ends without the close step,
    // as a kill or a crash would: the window is simply gone.
    void RecordAndVanish(const std::vector<int>& raws) {
        m_frame->StartJournal();
        SwitchOn();
        for (int raw : raws) SendAndWait(raw);
        ASSERT_EQ(Record().m_nTotalCount, static_cast<int>(raws.size()));
        m_frame.reset();
        m_doc.reset();
        ASSERT_TRUE(QFileInfo::exists(CMainFrame::JournalPath()));
    }
};

TEST_F(JournalWindowTest, YesRestoresEveryCommittedReadingAfterAnUncleanEnd) {
    RecordAndVanish({234, 250, 1017});
    ScriptedPrompts prompts;
    prompts.answerYes = true;
    CMivoraApp app;
    ASSERT_TRUE(app.InitInstance({}, &prompts));
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.questions[0], "Recover the readings of an interrupted recording?");
    const MeasurementRecord& r = app.Document().Record();
    ASSERT_EQ(r.m_nTotalCount, 3);
    EXPECT_EQ(r.m_nScreenCount, 3);
    EXPECT_FLOAT_EQ(r.m_fValue[0], 23.4f);
    EXPECT_FLOAT_EQ(r.m_fValue[2], 101.7f);
    EXPECT_FLOAT_EQ(r.m_fScreenValue[1], 25.0f);
    EXPECT_EQ(r.m_strUnit[2], "C");
    EXPECT_EQ(app.MainFrame()->View().m_barList.RowCount(), 3);
    // The restored readings stay journaled: a second unclean end keeps them.
    app.MainFrame()->hide();
}

TEST_F(JournalWindowTest, NoDiscardsTheJournal) {
    RecordAndVanish({100, 200});
    {
        ScriptedPrompts prompts;  // answers No
        CMivoraApp app;
        ASSERT_TRUE(app.InitInstance({}, &prompts));
        ASSERT_EQ(prompts.questions.size(), 1);
        EXPECT_EQ(app.Document().Record().m_nTotalCount, 0);
    }
    ScriptedPrompts again;
    CMivoraApp app;
    ASSERT_TRUE(app.InitInstance({}, &again));
    EXPECT_TRUE(again.questions.isEmpty()) << "a discarded journal is not offered twice";
}

TEST_F(JournalWindowTest, CleanCloseRemovesTheJournalAndClearAllEmptiesIt) {
    m_frame->StartJournal();
    SwitchOn();
    SendAndWait(300);
    SendAndWait(310);
    m_frame->OnClearAll();
    SendAndWait(320);
    JournalContents c;
    std::string error;
    ASSERT_TRUE(ReadJournal(CMainFrame::JournalPath().toStdString(), c, error)) << error;
    ASSERT_EQ(c.entries.size(), 1u) << "Clear All empties the journal";
    EXPECT_FLOAT_EQ(c.entries[0].value, 32.0f);
    m_frame->close();  // one reading: no save question
    EXPECT_FALSE(QFileInfo::exists(CMainFrame::JournalPath()));
}

}  // namespace
}  // namespace mivora::ui::test
