// The message catalogue as one list: MESSAGE(label, literal) for every text
// the program writes, in printf style with LF line ends. Typed as readable
// Japanese; only messages.cpp, compiled with the execution character set
// CP932, turns the literals into bytes. Included with MESSAGE defined.

// Menu and explanation screen.
MESSAGE(MSG_MENU,
        "\n   素数検索プログラムへようこそ、まずはモードを選んでください。\n\n"
        " 【２】 ： 通常動作 ディスプレイ＆ファイル保存（最も遅い）       《 範囲指定 》\n\n"
        " 【３】 ： 計算表示のみ（結果をファイルに書きません）\u3000\u3000\u3000\u3000    《 範囲指定 》\n\n"
        " 【４】 ： 高速ログ取り（画面表示なしで、結果を書き込みます）    《 範囲指定 》\n\n"
        " 【５】 ： 素数の数を調べるのみ（画面は、待機状態 ; 最速）\u3000\u3000   《 範囲指定 》\n\n"
        " 【６】 ： ある数が、素数かどうか調べる（超速）\u3000\u3000\u3000  《 一つの数の素数判定 》\n\n\n\n"
        " 【１】 ： 終了★ \n\n"
        " 【０】 ： 説明の表示 \n\n"
        " 数字を選んで、Enterで確定してください。... .. ")
MESSAGE(MSG_EXPLAIN_TITLE, "\n解説")
MESSAGE(MSG_EXPLAIN_PURPOSE,
        "\n\tこのプログラムは、任意の数の範囲内に、素数があれば表示させるものです。")
MESSAGE(MSG_EXPLAIN_USAGE, "\nやりかたは、チェックする数字の範囲を指定するだけです。")
MESSAGE(MSG_EXPLAIN_CAUTION, "\n注意；")
MESSAGE(MSG_EXPLAIN_LONG_RANGE, "\n\tあまり長い範囲を指定して時間がかかるように見えた場合、")
MESSAGE(MSG_EXPLAIN_ABORT,
        "ウィンドウの右上の閉じるキーで強制的に終了できます。"
        "または、[ CTRL + C ] でDOSプログラムを強制終了させます。しかし、その後は念のため、")
MESSAGE(MSG_EXPLAIN_SCANDISK, "スキャンディスクなどのディスクメンテナンスユーティリティーで、")
MESSAGE(MSG_EXPLAIN_CHECK_DISK, "プログラムを実行したハードディスク内を検査してください。")
MESSAGE(MSG_EXPLAIN_NO_FAULTS, "\n現在のところ、障害報告はありません。")
MESSAGE(MSG_EXPLAIN_COUNT, "\n\nあなたは今回素数チェックを %d 回くりかえしています。")
MESSAGE(MSG_EXPLAIN_BACK, "\n\n           ・・・・Enterキーで、初期画面に戻ります。 ")


// Number entry.
MESSAGE(MSG_LIMIT_NOTICE, "\n\n2000000000\u3000が上限です.  * 10桁 *【２０億までということです】\n")
MESSAGE(MSG_TOO_MANY_DIGITS, "１１桁以上は、非対応です。\n")
MESSAGE(MSG_NOT_POSITIVE, "数値を入力してください。または負数は扱いません。\n")
MESSAGE(MSG_TOO_LARGE, "２０億以上の数は扱えません。\n")
MESSAGE(MSG_PRESS_ENTER, "       Enter、または、return で、復帰します・・・・\n")


// Single number and factorization.
MESSAGE(MSG_BANNER_SINGLE, "\n**********   素数かどうか、調べるモード。   **********\n")
MESSAGE(MSG_PROMPT_SINGLE, "調べたい数を入力してください。\n")
MESSAGE(MSG_IS_PRIME, "\n%u は、素数です。おめでとう。")
MESSAGE(MSG_NOT_PRIME, "\n%u は、素数ではありません。")
MESSAGE(MSG_PRESS_ENTER_NL, "\n       Enter、または、return で、復帰します・・・・\n")
MESSAGE(MSG_FACTOR_HEAD, "\n\n☆素因数分解は☆\n 1")
MESSAGE(MSG_FACTOR_ITEM, " * %u")
MESSAGE(MSG_FACTOR_TAIL, "\n です。\n")


// Command line.
MESSAGE(MSG_ARG_PRIME, "%s は、素数です\n")
MESSAGE(MSG_ARG_NOT_PRIME, "%s は、素数ではありません")
MESSAGE(MSG_ARGS_DONE, "終了します。!\n")


// Range dialogue, runs and result file.
MESSAGE(MSG_BANNER_BOTH,
        "\n**********   結果のファイル書きだし、計算画面表示ありモード   **********\n")
MESSAGE(MSG_BANNER_SCREEN, "\n**********   画面表示のみモード   **********\n")
MESSAGE(MSG_BANNER_FILE,
        "\n**********   ファイルへ書き込むだけで、画面に表示しないモード   **********\n")
MESSAGE(MSG_BANNER_COUNT, "\n**********   素数の数を調べるだけのモード   **********\n")
MESSAGE(MSG_PROMPT_FIRST, "一つ目の数字を入力してください。（１/２）\n")
MESSAGE(MSG_FIRST_WAS, "一つ目の数は\n%u\n")
MESSAGE(MSG_PROMPT_SECOND, "二つ目の数字を入力してください。（２/２）\n")
MESSAGE(MSG_LIST_HEADER, "〓〓〓〓〓 %ld から %ld までの 素数は以下の通りです。 〓〓〓〓〓\n→\n")
MESSAGE(MSG_LIST_ITEM, " %ld")
MESSAGE(MSG_LINE_BREAK, "\n")
MESSAGE(MSG_LOGGING, "画面表示なしで、高速ログ取り中です。")
MESSAGE(MSG_COUNTING, "素数がいくつあるか、調べています。...")
MESSAGE(MSG_DONE, "...計算終了しました。\n\n")
MESSAGE(MSG_DONE_SCREEN, " ...計算終了しました。\n\n")
MESSAGE(MSG_WRITTEN, "\b計算結果は、Prime.txt に書き出されています。\n")
MESSAGE(MSG_WRITE_FAILED, "\b計算結果を Prime.txt に書き出せませんでした。\n")
MESSAGE(MSG_NO_PRIMES, "%ld から %ld までには、素数が一つもありませんでした。")
MESSAGE(MSG_SUMMARY, "■   ∈ %ld から%ld の間の ∋ 素数は『 %ld個 』あります.\n□【 区間幅 %ld 】")
MESSAGE(MSG_SUMMARY_FILE,
        "\n\n■   ∈ %ld から%ld の間の ∋ 素数は『 %ld個 』あります.\n□【 区間幅 %ld 】")
MESSAGE(MSG_AVERAGE, "この区間に平均して %4.2f ごとに素数が存在します。\n\n")
MESSAGE(MSG_TIMES,
        "★開始日時 %s  %s \n☆終了日時 %s  %s 、 τ(経過時間)=【%ld日 %ld時間%ld分%ld秒】")
MESSAGE(MSG_BACK_TO_MENU, "\n\nEnter で、初期画面に戻ります。")


// Screen control: the only control sequence the program writes.
// Kept on purpose: erase display only; the cursor stays where it was.
MESSAGE(MSG_CLEAR, "\x1b[2J")
