#pragma once
// Everything that asks the user or tells the user something in a modal box.
// The window goes through this interface so tests can answer without a box.
#include <QString>

class QWidget;

namespace mivora {

class IPrompts {
  public:
    virtual ~IPrompts() = default;
    // An OK box.
    virtual void Inform(QWidget* parent, const QString& text) = 0;
    // A failure: OK box with a warning icon.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // Yes and No; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
    // Empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& proposedPath,
                                 const QString& filter, const QString& defaultSuffix) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
};

// Qt's message boxes and file dialogs, with the program's title as caption.
class DialogPrompts final : public IPrompts {
  public:
    void Inform(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& text) override;
    QString SaveFileName(QWidget* parent, const QString& proposedPath, const QString& filter,
                         const QString& defaultSuffix) override;
    QString OpenFileName(QWidget* parent, const QString& filter) override;
};

}  // namespace mivora
