#include "qt/file_chooser.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QRegularExpression>

#include "dialogs/text_buffers.h"
#include "native/text/unicode.h"

namespace mokuji::qt {

namespace {

constexpr std::int32_t kOfnOverwritePrompt = 0x2;
constexpr std::int32_t kOfnFileMustExist = 0x1000;

QString upToNul(const std::string& text) {
    return QString::fromStdString(text.substr(0, text.find('\0')));
}

std::string local8(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

}  // namespace

std::vector<FileFilter> FileFiltersOf(const std::string& nulSeparated) {
    std::vector<FileFilter> filters;
    std::size_t at = 0;
    while (at < nulSeparated.size()) {
        const std::size_t descriptionEnd = nulSeparated.find('\0', at);
        if (descriptionEnd == std::string::npos || descriptionEnd == at) break;
        const std::size_t patternsEnd = nulSeparated.find('\0', descriptionEnd + 1);
        if (patternsEnd == std::string::npos) break;
        FileFilter filter;
        filter.description = QString::fromStdString(nulSeparated.substr(at, descriptionEnd - at));
        const QString patterns = QString::fromStdString(
            nulSeparated.substr(descriptionEnd + 1, patternsEnd - descriptionEnd - 1));
        for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
            if (!pattern.trimmed().isEmpty()) filter.patterns << pattern.trimmed();
        }
        filters.push_back(std::move(filter));
        at = patternsEnd + 1;
    }
    return filters;
}

QList<QRegularExpression> WildcardsOf(const QStringList& patterns) {
    QList<QRegularExpression> wildcards;
    for (const QString& pattern : patterns) {
        wildcards << QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                        QRegularExpression::CaseInsensitiveOption);
    }
    return wildcards;
}

bool MatchesAny(const QString& fileName, const QList<QRegularExpression>& wildcards) {
    for (const QRegularExpression& wildcard : wildcards) {
        if (wildcard.match(fileName).hasMatch()) return true;
    }
    return false;
}

void PatternFilterProxy::setPatterns(const QStringList& patterns) {
    wildcards_ = WildcardsOf(patterns);
    invalidateFilter();
}

bool PatternFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr || wildcards_.isEmpty()) return true;
    const QModelIndex entry = files->index(sourceRow, 0, sourceParent);
    return files->isDir(entry) || MatchesAny(files->fileName(entry), wildcards_);
}

FileChooser::FileChooser(QWidget* owner, const dialogs::FileDialogRequest& request, bool save)
    : QFileDialog(owner), filters_(FileFiltersOf(request.filter)) {
    setObjectName("FileChooser");
    // The filtering and the acceptance rules below work on Qt's own dialog
    // only; a desktop's native one would bypass them.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    fileMustExist_ = (request.flags & kOfnFileMustExist) != 0;
    if (save) {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        setOption(QFileDialog::DontConfirmOverwrite, (request.flags & kOfnOverwritePrompt) == 0);
    } else if ((request.flags & dialogs::kOfnAllowMultiSelect) != 0) {
        setFileMode(QFileDialog::ExistingFiles);
    } else {
        setFileMode(fileMustExist_ ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    const QString title = upToNul(request.title);
    if (!title.isEmpty()) setWindowTitle(title);
    const QString suffix = upToNul(request.defaultExt);
    if (!suffix.isEmpty()) setDefaultSuffix(suffix);

    proxy_ = new PatternFilterProxy(this);
    setProxyModel(proxy_);
    if (!filters_.empty()) {
        QStringList shown;
        // Qt reads the patterns from the last parentheses and hides them;
        // "*" lets every name through to the proxy, which filters for real.
        for (const FileFilter& filter : filters_) shown << filter.description + " (*)";
        setNameFilters(shown);
        const int chosen =
            request.filterIndex >= 1 && request.filterIndex <= static_cast<int>(filters_.size())
                ? request.filterIndex
                : 1;
        selectNameFilter(shown.at(chosen - 1));
        useFilter(chosen);
        connect(this, &QFileDialog::filterSelected, this,
                [this, shown](const QString& filter) { useFilter(shown.indexOf(filter) + 1); });
    }

    // A preset path opens its own folder; a bare name opens the initial one.
    const QString preset = upToNul(request.fileBuffer);
    const QFileInfo presetInfo(preset);
    if (preset.contains(QDir::separator()) && presetInfo.dir().exists()) {
        setDirectory(presetInfo.absolutePath());
        selectFile(presetInfo.fileName());
    } else {
        const QString initial = upToNul(request.initialDir);
        if (!initial.isEmpty() && QDir(initial).exists()) setDirectory(initial);
        if (!preset.isEmpty()) selectFile(preset);
    }
}

void FileChooser::useFilter(int index) {
    if (index < 1 || index > static_cast<int>(filters_.size())) return;
    filterIndex_ = index;
    proxy_->setPatterns(filters_[static_cast<std::size_t>(index - 1)].patterns);
}

void FileChooser::accept() {
    // Qt insists that every file of a multiple selection exists; the
    // platform's dialog without the file-must-exist option also takes one
    // new name in an existing folder, which is how a folder without a list
    // file is chosen by typing the list file's name.
    if (acceptMode() == QFileDialog::AcceptOpen && fileMode() == QFileDialog::ExistingFiles &&
        !fileMustExist_) {
        const QStringList files = selectedFiles();
        if (files.size() == 1) {
            const QFileInfo typed(files.front());
            if (!typed.exists() && typed.dir().exists()) {
                QDialog::accept();
                return;
            }
        }
    }
    QFileDialog::accept();
}

bool WriteChoice(const QStringList& chosenPaths, dialogs::FileDialogRequest& request) {
    if (chosenPaths.isEmpty()) return false;
    // The offset of the chosen name is what tells the caller one file from
    // several, as the platform's dialog reports it.
    if (chosenPaths.size() == 1) {
        const QFileInfo chosen(chosenPaths.front());
        const std::string path = local8(chosenPaths.front());
        if (!dialogs::writeWhole(request.fileBuffer, path)) return false;
        request.fileOffset = static_cast<std::int32_t>(
            xls::text::utf16Length(path) - xls::text::utf16Length(chosen.fileName().toStdString()));
        // A title that does not fit is left out, as the platform does.
        dialogs::writeOverStart(request.fileTitle, chosen.fileName().toStdString());
        return true;
    }
    std::string text = local8(QFileInfo(chosenPaths.front()).absolutePath());
    text += '\0';
    const auto offset = static_cast<std::int32_t>(xls::text::utf16Length(text));
    for (const QString& path : chosenPaths) {
        text += QFileInfo(path).fileName().toStdString();
        text += '\0';
    }
    if (!dialogs::writeWhole(request.fileBuffer, text)) return false;
    request.fileOffset = offset;
    return true;
}

}  // namespace mokuji::qt
