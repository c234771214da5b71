// The save and open file dialogs of the forms. Every one goes through PromptForFile(), so
// that a test can answer it without a modal loop, as TMessageBoxScript answers message boxes.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct TFileDialogRequest
{
    bool Save = true;
    QString Title;
    QString FileName;    // proposed name
    QStringList Filters; // "文本文件(*.txt)", ...
};

struct TFileDialogAnswer
{
    QString FileName;
    int FilterIndex = 1; // 1-based, as the export menu numbers its formats
};

// Shows the dialog; nothing when the user cancels.
std::optional<TFileDialogAnswer> PromptForFile(const TFileDialogRequest &request);

// The open dialog for a picture the picture store takes (JPEG, PNG, BMP): its file name, or
// nothing when the user cancels.
std::optional<QString> PromptForPictureFile(const QString &title);

using TFileDialogHandler =
    std::function<std::optional<TFileDialogAnswer>(const TFileDialogRequest &request)>;
// Installs a handler (an empty one restores the real dialog) and returns the previous one.
TFileDialogHandler SetFileDialogHandler(TFileDialogHandler handler);

// Answers file dialogs for its lifetime from a queue; an empty queue cancels.
class TFileDialogScript
{
public:
    TFileDialogScript();
    ~TFileDialogScript();
    TFileDialogScript(const TFileDialogScript &) = delete;
    TFileDialogScript &operator=(const TFileDialogScript &) = delete;

    void Answer(const QString &fileName, int filterIndex = 1);
    void Cancel();
    const QList<TFileDialogRequest> &Requests() const { return m_requests; }

private:
    QList<std::optional<TFileDialogAnswer>> m_answers;
    QList<TFileDialogRequest> m_requests;
    TFileDialogHandler m_previous;
};
