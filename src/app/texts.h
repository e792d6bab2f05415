// Every Japanese text the program shows, in the ANSI code page (932). They
// are written in UTF-8 in texts.cpp, which alone is compiled with
// -fexec-charset=CP932.
#pragma once

namespace text {

// Subject phrases; a composed message is subject + predicate.
extern const char* const kSubjectSource;         // インストール元の
extern const char* const kSubjectCopySource;     // コピー元の
extern const char* const kSubjectStartMenu;      // スタートメニューの
extern const char* const kSubjectShortcut;       // ショートカット作成先の
extern const char* const kSubjectDestination;    // インストール先の
extern const char* const kSubjectSystemDrive;    // システムドライブの
extern const char* const kSubjectInstallDrive;   // インストール先ドライブの

// Predicates and whole messages.
extern const char* const kPathTooDeep;           // パス階層が…
extern const char* const kNotFound;              // が見つかりませんでした
extern const char* const kLoadError;             // の読込処理中に…
extern const char* const kMemoryAccessError;
extern const char* const kProductRunning;
extern const char* const kAlreadyRunning;
extern const char* const kMarkingFailed;
extern const char* const kOutOfMemory;
extern const char* const kRegistryError;
extern const char* const kDiskInfoError;
extern const char* const kDiskFull;              // ディスク容量が不足しています
extern const char* const kDirectoryFailed;
extern const char* const kCopyFailed;
extern const char* const kCopyFailedOpen;        // …1
extern const char* const kCopyFailedCreate;      // …2
extern const char* const kAttributesFailed;
extern const char* const kShortcutFailed;
extern const char* const kCompleted;
extern const char* const kPlayerUpdate;          // mplayer present
extern const char* const kPlayerNeeded;          // mplayer absent
extern const char* const kCannotRead;            // path + が読み込めませんでした

// Captions.
extern const char* const kCaptionError;          // エラー
extern const char* const kCaptionInformation;    // 情報
extern const char* const kCaptionReadme;         // お読み下さい
extern const char* const kCaptionDirectory;      // インストール先の選択
extern const char* const kCaptionInstall;        // インストール

// Control texts.
extern const char* const kButtonOK;              // &OK
extern const char* const kButtonCancel;          // &Cancel
extern const char* const kButtonInstall;         // &Install
extern const char* const kGroupPackage;          // パッケージの選択
extern const char* const kLabelDirectory;        // ディレクトリの選択
extern const char* const kButtonChange;          // 変更
extern const char* const kLabelCopy;
extern const char* const kLabelLink;
extern const char* const kLabelRegistry;
extern const char* const kLabelAll;
extern const char* const kNotes1;
extern const char* const kNotes2;
extern const char* const kNotes3;
extern const char* const kNotes6;

extern const char* const kUninstallShortcut;     // アンインストール.lnk
extern const char* const kFontName;              // ＭＳ Ｐゴシック

}  // namespace text
