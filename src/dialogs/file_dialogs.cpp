#include "dialogs/common_dialog.h"

#include <exception>

#include "dialogs/dialog_error.h"
#include "dialogs/text_buffers.h"
#include "native/text/unicode.h"

namespace mokuji::dialogs {

void cCommonDlg::ShowOpen() {
    ShowFileDialog(1);
}

void cCommonDlg::ShowSave() {
    ShowFileDialog(2);
}

void cCommonDlg::ShowFileDialog(std::int16_t kind) {
    // Every fault ends the operation quietly, leaving the fields as far as
    // they got: the caller learns of it only through the status fields.
    try {
        Action_ = kind;
        ApiResult_ = 0;
        ErrNumber_ = 0;

        FileDialogRequest request;
        request.owner = ownerHandle();
        request.filter = ApiFilter_;
        request.filterIndex = FilterIndex_;
        if (MaxFileSize_ < 1) {
            throw DialogError(DialogError::Kind::InvalidArgument,
                              "file name buffer below 1 character");
        }
        request.fileBuffer = nulPaddedBuffer(FileName_, static_cast<std::size_t>(MaxFileSize_));
        request.fileBufferSize = MaxFileSize_;
        request.fileTitle = FileTitle_ + '\0';
        request.fileTitleSize =
            static_cast<std::int32_t>(xls::text::utf16Length(request.fileTitle));
        request.initialDir = InitDir_;
        request.title = DialogTitle_;
        request.flags = flags_;
        request.defaultExt = DefaultExt_;

        ApiResult_ = kind == 1 ? layer_.getOpenFileName(request) : layer_.getSaveFileName(request);

        if (ApiResult_ == 0) {
            // The platform returns 0 for a cancel and for a failure alike,
            // a selection too long for the buffer among them; only the
            // extended error tells the caller which it was.
            ErrNumber_ = layer_.extendedError();
            if (CancelError_) {
                CancelButton_ = true;
                FileName_.clear();
            }
        } else if (ApiResult_ == 1) {
            FileName_ = request.fileBuffer;
            // One chosen file ends at its own NUL: what follows is whatever
            // of the proposed name the dialog did not write over.
            std::string chosen;
            if (!chosenFileText(FileName_, request.fileOffset, chosen)) {
                throw DialogError(DialogError::Kind::InvalidArgument,
                                  "file buffer holds no end of the chosen name");
            }
            FileName_ = std::move(chosen);
            FileTitle_ = trimBlanks(request.fileTitle);
        } else {
            ErrNumber_ = layer_.extendedError();
        }
    } catch (const std::exception&) {
    }
}

}  // namespace mokuji::dialogs
