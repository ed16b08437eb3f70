#include "core/error.h"

#include "core/atomic_file.h"

#include <cerrno>

namespace omb {

std::string errorDescription(int number) {
  switch (number) {
    case kErrInvalidCall: return "プロシージャの呼び出し、または引数が不正です。";
    case kErrOverflow: return "オーバーフローしました。";
    case kErrOutOfMemory: return "メモリが不足しています。";
    case kErrSubscript: return "インデックスが有効範囲にありません。";
    case kErrDivisionByZero: return "0 で除算しました。";
    case kErrTypeMismatch: return "型が一致しません。";
    case kErrBadFileName: return "ファイル名または番号が不正です。";
    case kErrFileNotFound: return "ファイルが見つかりません。";
    case kErrFileAlreadyOpen: return "ファイルは既に開かれています。";
    case kErrDeviceIO: return "デバイス I/O エラーです。";
    case kErrDiskFull: return "ディスクの空き容量が不足しています。";
    case kErrInputPastEnd: return "ファイルにこれ以上データがありません。";
    case kErrPermissionDenied: return "書き込みできません。";
    case kErrPathFileAccess: return "パス名が無効です。";
    case kErrPathNotFound: return "パスが見つかりません。";
    case kErrCancel: return "キャンセルされました。";
    case kErrNotRegularFile: return "通常のファイルではありません。";
    case kErrFileTooLarge: return "ファイルが大きすぎます。";
    default: return "アプリケーション定義またはオブジェクト定義のエラーです。";
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
