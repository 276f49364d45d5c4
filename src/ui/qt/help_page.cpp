#include "ui/qt/help_page.h"

#include <QCoreApplication>
#include <QProcess>
#include <QUrl>
#include <filesystem>

namespace vantile {

std::optional<std::string> helpPagePath() {
    const std::string besideProgram =
        QCoreApplication::applicationDirPath().toStdString() + "/" VANTILE_HELP_PAGE_RELATIVE;
    for (const std::string& candidate : {besideProgram, std::string(VANTILE_HELP_PAGE_INSTALLED),
                                         std::string(VANTILE_HELP_PAGE_SOURCE)}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    return std::nullopt;
}

void openHelpPage() {
    const auto path = helpPagePath();
    if (!path) {
        return;
    }
    const QString url = QUrl::fromLocalFile(QString::fromStdString(*path)).toString();
    QProcess::startDetached("xdg-open", {url});
}

} // namespace vantile
