<?php
// What Tallywick asks of the counter: 1 can views be stored, 2 delete pages, 3 the page
// list, 4 the referers of a page, 5 the hits of each hour. Every answer is "OK", a list ending in "OK", or an error
// word that never contains "OK"; a request that is not understood changes nothing.

declare(strict_types=1);

namespace Tallywick\Counter;

use PDO;

ini_set('display_errors', '0');
ob_start();
require_once __DIR__ . '/answers.php';

/** A field of the posted form, or null when it is missing or not a plain text. */
function field(string $name): ?string
{
    $value = $_POST[$name] ?? null;
    return is_string($value) ? $value : null;
}

/** A page code: decimal digits only, few enough to stay an integer. */
function code(?string $text): ?int
{
    return ($text !== null && preg_match('/^[0-9]{1,18}$/', $text)) ? (int)$text : null;
}

/** Action 2: "deleteids" is "all" or page codes joined by ",", empty items skipped. */
function delete_request(?string $deleteIds): ?callable
{
    if ($deleteIds === null) {
        return null;
    }
    $codes = null;
    if ($deleteIds !== 'all') {
        $codes = [];
        foreach (explode(',', $deleteIds) as $item) {
            if ($item === '') {
                continue;
            }
            $code = code($item);
            if ($code === null) {
                return null;
            }
            $codes[] = $code;
        }
    }
    return static function (PDO $pdo) use ($codes): string {
        delete_pages($pdo, $codes);
        return 'OK';
    };
}

/** Action 4: "querytype" 0, 1 or 2, "reftype" 1 or 2, and the page code "pagecod". */
function referer_request(?string $queryType, ?string $refType, ?string $pageCode): ?callable
{
    $grouping = ['0' => 0, '1' => 1, '2' => 2][$queryType ?? ''] ?? null;
    $advertising = ['1' => false, '2' => true][$refType ?? ''] ?? null;
    $page = code($pageCode);
    if ($grouping === null || $advertising === null || $page === null) {
        return null;
    }
    return static fn (PDO $pdo): string => referer_list($pdo, $page, $grouping, $advertising);
}

/** An hour as action 5 names it: Unix seconds, a whole hour. */
function hour(?string $text): ?int
{
    return ($text !== null && preg_match('/^[0-9]{1,12}$/', $text) && (int)$text % 3600 === 0) ? (int)$text : null;
}

/**
 * Action 5: "pagecods" is "all", "robots" or page codes joined by ","; "fromhour" and
 * "tohour" the first and the last hour wanted, at most MAX_HISTORY_HOURS of them.
 */
function history_request(?string $pageCodes, ?string $fromHour, ?string $toHour): ?callable
{
    $from = hour($fromHour);
    $to = hour($toHour);
    if ($pageCodes === null || $from === null || $to === null || $from > $to
        || intdiv($to - $from, 3600) >= MAX_HISTORY_HOURS) {
        return null;
    }
    $robots = $pageCodes === 'robots';
    $pages = null;
    if (!$robots && $pageCodes !== 'all') {
        $pages = [];
        foreach (explode(',', $pageCodes) as $item) {
            $code = code($item);
            if ($code === null) {
                return null;
            }
            $pages[] = $code;
        }
    }
    return static fn (PDO $pdo): string => history($pdo, $pages, $robots, $from, $to);
}

/** The answer to the posted form. */
function answer(): string
{
    // Every field is checked before the database is opened, so a bad request touches nothing.
    $request = match (field('action')) {
        '1' => static fn (PDO $pdo, ?string $sqliteFile): string => check_counting($pdo, $sqliteFile),
        '2' => delete_request(field('deleteids')),
        '3' => static fn (PDO $pdo): string => page_list($pdo),
        '4' => referer_request(field('querytype'), field('reftype'), field('pagecod')),
        '5' => history_request(field('pagecods'), field('fromhour'), field('tohour')),
        default => null,
    };
    if ($request === null) {
        return BAD_REQUEST;
    }
    $config = null;
    try {
        $config = counter_config();
        return $request(open_database($config, false), database_file($config));
    } catch (\Throwable $error) {
        // Database messages may name hosts, users and tables; they stay on the server.
        return failure_word($error, database_file($config));
    }
}

$answer = answer();
while (ob_get_level() > 0) {
    ob_end_clean();
}
header('Content-Type: text/plain; charset=ISO-8859-1');
header('Cache-Control: no-store');
echo $answer;
