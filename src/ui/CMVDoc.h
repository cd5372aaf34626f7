#pragma once
// The one document: the measurement record and the path of the platform's
// standard save.
#include <QString>

#include "record/DataFile.h"
#include "record/MeasurementRecord.h"

namespace mivora::ui {

class CMVView;

class CMVDoc {
  public:
    CMVDoc() = default;
    CMVDoc(const CMVDoc&) = delete;
    CMVDoc& operator=(const CMVDoc&) = delete;

    mivora::MeasurementRecord& Record() { return m_record; }
    const mivora::MeasurementRecord& Record() const { return m_record; }

    void SetView(CMVView* view) { m_pView = view; }
    // Asks the view to redraw the graph (the document's update of all views).
    void UpdateAllViews();

    // Loads a data file into the screen series and the panel state; on failure
    // nothing is changed and `error` names the file and the reason.
    bool Load(mivora::IFileSystem& fs, const QString& path, mivora::MeterState& state,
              QString& error);

    // Where the platform's standard save writes without asking; empty until a
    // first standard save.
    QString m_strPathName;

  private:
    mivora::MeasurementRecord m_record;
    CMVView* m_pView = nullptr;
};

}  // namespace mivora::ui
