#include "ui/CMVDoc.h"

#include "ui/CMVView.h"

namespace mivora::ui {

void CMVDoc::UpdateAllViews() {
    if (m_pView) m_pView->OnUpdate();
}

bool CMVDoc::Load(mivora::IFileSystem& fs, const QString& path, mivora::MeterState& state,
                  QString& error) {
    mivora::DataFileContents contents;
    const mivora::FileResult result = mivora::LoadDataFile(fs, path.toStdString(), contents);
    if (!result.ok) {
        error = QString::fromStdString(result.error);
        return false;
    }
    mivora::ApplyDataFile(contents, m_record, state);
    return true;
}

}  // namespace mivora::ui
