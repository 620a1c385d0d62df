#pragma once

#include <QFileDialog>
#include <QList>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/dialog_layer.h"

namespace mokuji::qt {

// One entry of a filter given as description, NUL, patterns, NUL, ...; the
// patterns are separated by ";" as the platform writes them.
struct FileFilter {
    QString description;
    QStringList patterns;
};
std::vector<FileFilter> FileFiltersOf(const std::string& nulSeparated);

// The patterns ("*" and "?") as expressions that match whole names,
// ignoring letter case as the platform's dialogs do.
QList<QRegularExpression> WildcardsOf(const QStringList& patterns);
bool MatchesAny(const QString& fileName, const QList<QRegularExpression>& wildcards);
inline bool MatchesAnyPattern(const QString& fileName, const QStringList& patterns) {
    return MatchesAny(fileName, WildcardsOf(patterns));
}

// Shows only folders and the files of the chosen filter entry. Qt's own name
// filters cannot carry patterns with Japanese letters, such as the list
// file's fixed name, so the dialog filters here instead.
class PatternFilterProxy : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setPatterns(const QStringList& patterns);

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    // Compiled once per filter: the view asks for every file of a folder.
    QList<QRegularExpression> wildcards_;
};

// The file open or save dialog set up from one request, with the platform's
// rules where Qt's differ: the preset path's folder is the first folder
// shown, and an open dialog whose file need not exist takes a name that is
// not there yet in a folder that is.
class FileChooser : public QFileDialog {
    Q_OBJECT

  public:
    FileChooser(QWidget* owner, const dialogs::FileDialogRequest& request, bool save);

    // The entry of the filter chosen last, counted from 1.
    int filterIndex() const { return filterIndex_; }

  protected:
    void accept() override;

  private:
    void useFilter(int index);

    std::vector<FileFilter> filters_;
    PatternFilterProxy* proxy_;
    int filterIndex_ = 1;
    bool fileMustExist_ = false;
};

// What a confirmed choice writes into the request's buffers: one path, or
// for several files their folder and names, each ended by a NUL, with the
// offset of the (first) name. Nothing of the proposed name is left behind.
// False when the text does not fit the file buffer.
bool WriteChoice(const QStringList& chosenPaths, dialogs::FileDialogRequest& request);

}  // namespace mokuji::qt
