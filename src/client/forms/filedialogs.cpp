// File dialogs with a handler tests can install.
#include "client/forms/filedialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace {

TFileDialogHandler &handler()
{
    static TFileDialogHandler current;
    return current;
}

std::optional<TFileDialogAnswer> showDialog(const TFileDialogRequest &request)
{
    const QString filter = request.Filters.join(QStringLiteral(";;"));
    QString selected = request.Filters.value(0);
    QWidget *parent = QApplication::activeWindow();
    const QString fileName =
        request.Save ? QFileDialog::getSaveFileName(parent, request.Title, request.FileName, filter,
                                                    &selected)
                     : QFileDialog::getOpenFileName(parent, request.Title, request.FileName, filter,
                                                    &selected);
    if (fileName.isEmpty())
        return std::nullopt;
    TFileDialogAnswer answer;
    answer.FileName = fileName;
    answer.FilterIndex = qMax(1, int(request.Filters.indexOf(selected)) + 1);
    return answer;
}

} // namespace

std::optional<TFileDialogAnswer> PromptForFile(const TFileDialogRequest &request)
{
    if (handler())
        return handler()(request);
    return showDialog(request);
}

TFileDialogHandler SetFileDialogHandler(TFileDialogHandler newHandler)
{
    TFileDialogHandler previous = std::move(handler());
    handler() = std::move(newHandler);
    return previous;
}

TFileDialogScript::TFileDialogScript()
{
    m_previous = SetFileDialogHandler([this](const TFileDialogRequest &request) {
        m_requests.append(request);
        return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
    });
}

TFileDialogScript::~TFileDialogScript()
{
    SetFileDialogHandler(std::move(m_previous));
}

void TFileDialogScript::Answer(const QString &fileName, int filterIndex)
{
    m_answers.append(TFileDialogAnswer{fileName, filterIndex});
}

void TFileDialogScript::Cancel()
{
    m_answers.append(std::nullopt);
}

std::optional<QString> PromptForPictureFile(const QString &title)
{
    TFileDialogRequest request;
    request.Save = false;
    request.Title = title;
    request.Filters = {QStringLiteral("图片(*.jpg;*.jpeg;*.png;*.bmp)"),
                       QStringLiteral("*.jpg;*.jpeg"), QStringLiteral("*.png"),
                       QStringLiteral("*.bmp")};
    const std::optional<TFileDialogAnswer> answer = PromptForFile(request);
    if (!answer)
        return std::nullopt;
    return answer->FileName;
}
