// Compiled with -fexec-charset=CP932: the literals below become Shift-JIS.
#include "app/texts.h"

namespace text {

const char* const kSubjectSource = "インストール元の";
const char* const kSubjectCopySource = "コピー元の";
const char* const kSubjectStartMenu = "スタートメニューの";
const char* const kSubjectShortcut = "ショートカット作成先の";
const char* const kSubjectDestination = "インストール先の";
const char* const kSubjectSystemDrive = "システムドライブの";
const char* const kSubjectInstallDrive = "インストール先ドライブの";

const char* const kPathTooDeep = "パス階層がOSの限界を超える可能性を検知しました";
const char* const kNotFound = "が見つかりませんでした";
const char* const kLoadError = "の読込処理中にエラーが発生しました";
const char* const kMemoryAccessError = "メモリアクセスにエラーが発生しました";
const char* const kProductRunning = "Kestruneが起動しています。終了させてください";
const char* const kAlreadyRunning = "既に起動されています";
const char* const kMarkingFailed = "プロセスマーキングに失敗しました";
const char* const kOutOfMemory = "使用可能なメモリが不足しています";
const char* const kRegistryError = "レジストリのアクセスに失敗しました";
const char* const kDiskInfoError = "ディスク情報が読み込めませんでした";
const char* const kDiskFull = "ディスク容量が不足しています";
const char* const kDirectoryFailed = "ディレクトリの作成に失敗しました";
const char* const kCopyFailed = "ファイルのコピーに失敗しました";
const char* const kCopyFailedOpen = "ファイルのコピーに失敗しました1";
const char* const kCopyFailedCreate = "ファイルのコピーに失敗しました2";
const char* const kAttributesFailed = "ファイルの属性変更に失敗しました";
const char* const kShortcutFailed = "ショートカット作成に失敗しました";
const char* const kCompleted =
    "インストールが完了しました\nスタートメニューからアプリケーションを起動する事が出来ます";
const char* const kPlayerUpdate = "続けてmplayerの最新版をインストールしますか？";
const char* const kPlayerNeeded = "PCでの動画再生にはmplayerが必要です。続けてインストールしますか？";
const char* const kCannotRead = "が読み込めませんでした";

const char* const kCaptionError = "エラー";
const char* const kCaptionInformation = "情報";
const char* const kCaptionReadme = "お読み下さい";
const char* const kCaptionDirectory = "インストール先の選択";
const char* const kCaptionInstall = "インストール";

const char* const kButtonOK = "&OK";
const char* const kButtonCancel = "&Cancel";
const char* const kButtonInstall = "&Install";
const char* const kGroupPackage = "パッケージの選択";
const char* const kLabelDirectory = "ディレクトリの選択";
const char* const kButtonChange = "変更";
const char* const kLabelCopy = "ファイルのコピー";
const char* const kLabelLink = "ショートカットの作成";
const char* const kLabelRegistry = "レジストリの更新";
const char* const kLabelAll = "全体の進行度";
const char* const kNotes1 = "指定のパッケージのインストールには、最低でも....";
const char* const kNotes2 = "システムドライブに";
const char* const kNotes3 = "インストール先ドライブに";
const char* const kNotes6 = "....程度の空き容量が必要です。";

const char* const kUninstallShortcut = "アンインストール.lnk";
const char* const kFontName = "ＭＳ Ｐゴシック";

}  // namespace text
