#include "core/error.h"

#include "core/atomic_file.h"

#include <cerrno>
#include "core/translate.h"

namespace omb {

std::string errorDescription(int number) {
  switch (number) {
    case kErrInvalidCall: return omb::trs("Error", "プロシージャの呼び出し、または引数が不正です。");
    case kErrOverflow: return omb::trs("Error", "オーバーフローしました。");
    case kErrOutOfMemory: return omb::trs("Error", "メモリが不足しています。");
    case kErrSubscript: return omb::trs("Error", "インデックスが有効範囲にありません。");
    case kErrDivisionByZero: return omb::trs("Error", "0 で除算しました。");
    case kErrTypeMismatch: return omb::trs("Error", "型が一致しません。");
    case kErrBadFileName: return omb::trs("Error", "ファイル名または番号が不正です。");
    case kErrFileNotFound: return omb::trs("Error", "ファイルが見つかりません。");
    case kErrFileAlreadyOpen: return omb::trs("Error", "ファイルは既に開かれています。");
    case kErrDeviceIO: return omb::trs("Error", "デバイス I/O エラーです。");
    case kErrDiskFull: return omb::trs("Error", "ディスクの空き容量が不足しています。");
    case kErrInputPastEnd: return omb::trs("Error", "ファイルにこれ以上データがありません。");
    case kErrPermissionDenied: return omb::trs("Error", "書き込みできません。");
    case kErrPathFileAccess: return omb::trs("Error", "パス名が無効です。");
    case kErrPathNotFound: return omb::trs("Error", "パスが見つかりません。");
    case kErrCancel: return omb::trs("Error", "キャンセルされました。");
    case kErrNotRegularFile: return omb::trs("Error", "通常のファイルではありません。");
    case kErrFileTooLarge: return omb::trs("Error", "ファイルが大きすぎます。");
    default: return omb::trs("Error", "アプリケーション定義またはオブジェクト定義のエラーです。");
  }
}

int errorFromErrno(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR: return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kErrPermissionDenied;
    case ENOSPC:
    case EDQUOT: return kErrDiskFull;
    case EISDIR:
    case ENAMETOOLONG: return kErrPathFileAccess;
    case ENODEV:
    case ENXIO: return kErrNotRegularFile;
    case EFBIG: return kErrFileTooLarge;
    default: return kErrDeviceIO;
  }
}

}  // namespace omb
