<?php
// The work behind the program's requests: the check, the page list, the referers of a page,
// deleting pages.

declare(strict_types=1);

namespace Tallywick\Counter;

use PDO;

require_once __DIR__ . '/views.php';

// A database whose disk has less room than this cannot be trusted to take the next view.
const MIN_FREE_DISK_BYTES = 1 << 20;

/**
 * Action 1: "OK" when a view could be stored now, else the word of what stands in the way.
 * The check writes what a view writes, inside a transaction that it rolls back.
 */
function check_counting(PDO $pdo, ?string $sqliteFile): string
{
    use_write_ahead_log($pdo);
    $probe = [
        'robot' => false,
        'url' => 'tallywick:check',
        'referer' => ['domain' => 'check.tallywick', 'keyword' => '', 'advertising' => 0],
    ];
    with_counter_tables($pdo, static function (PDO $pdo) use ($probe): void {
        $pdo->beginTransaction();
        write_view($pdo, $probe, intdiv(time(), 3600) * 3600);
        $pdo->rollBack();
    });
    if ($sqliteFile !== null) {
        $free = @disk_free_space(dirname($sqliteFile));
        if (is_float($free) && $free < MIN_FREE_DISK_BYTES) {
            return DISK_FULL;
        }
    }
    $failure = standing_failure();
    if ($failure !== null) {
        // The owner is looking now: the next view need not wait out the pause to try again.
        end_pause($failure);
        return COUNT_FAILED;
    }
    return 'OK';
}

/** Records of quoted values joined by "^" and closed by "^OK"; "OK" alone without any. */
function list_answer(\PDOStatement $rows): string
{
    $answer = '';
    while (($row = $rows->fetch(PDO::FETCH_NUM)) !== false) {
        $answer .= '"' . implode('","', $row) . '"^';
    }
    return $answer === '' ? 'OK' : $answer . 'OK';
}

function page_list(PDO $pdo): string
{
    return with_counter_tables($pdo, static function (PDO $pdo): string {
        $rows = $pdo->prepare('SELECT id, url, hits FROM tallywick_pages ORDER BY id');
        $rows->execute();
        return list_answer($rows);
    });
}

/**
 * The referers of one page of one kind (advertising or not): one row per (domain, keyword)
 * pair, per domain, or per keyword, most hits first. The type flag is "1" for
 * non-advertising referers, "2" for advertising ones; a grouped row carries the lowest
 * record code of its group.
 */
function referer_list(PDO $pdo, int $page, int $queryType, bool $advertising): string
{
    // Grouped and sorted here, not in the database: databases sort rows that carry long byte
    // values slowly (a page with 100,000 referers took several times as long), and this way
    // both databases give the same order.
    $rows = with_counter_tables($pdo, static function (PDO $pdo) use ($page, $advertising): \PDOStatement {
        $rows = $pdo->prepare(
            'SELECT id, domain, keyword, hits FROM tallywick_referers WHERE page = ? AND advertising = ?'
        );
        $rows->execute([$page, $advertising ? 1 : 0]);
        return $rows;
    });
    $flag = $advertising ? '2' : '1';
    $records = [];
    if ($queryType === 0) {
        // Hit counts are few distinct numbers: rows go into one bucket per count.
        $byHits = [];
        while (($row = $rows->fetch(PDO::FETCH_NUM)) !== false) {
            [$id, $domain, $keyword, $hits] = $row;
            $byHits[(int)$hits][] = "\"$id\",\"$domain\",\"$keyword\",\"$flag\",\"$hits\"";
        }
        krsort($byHits, SORT_NUMERIC);
        foreach ($byHits as $bucket) {
            $records[] = implode('^', $bucket);
        }
    } else {
        $column = $queryType === 1 ? 1 : 2;
        $sums = $firstCodes = [];
        while (($row = $rows->fetch(PDO::FETCH_NUM)) !== false) {
            $key = $row[$column];
            $sums[$key] = ($sums[$key] ?? 0) + (int)$row[3];
            $firstCodes[$key] = min($firstCodes[$key] ?? PHP_INT_MAX, (int)$row[0]);
        }
        arsort($sums, SORT_NUMERIC);
        foreach ($sums as $key => $total) {
            // A key that looks like a number came back as an integer; it prints the same.
            [$domain, $keyword] = $queryType === 1 ? [$key, ''] : ['', $key];
            $records[] = "\"$firstCodes[$key]\",\"$domain\",\"$keyword\",\"$flag\",\"$total\"";
        }
    }
    return $records === [] ? 'OK' : implode('^', $records) . '^OK';
}

/**
 * Deletes the pages with these codes and their referers; null deletes every page. Pages go
 * first, in the order in which a view takes its rows, so that the two never wait on each other
 * in a circle.
 */
function delete_pages(PDO $pdo, ?array $pageIds): void
{
    with_counter_tables($pdo, static function (PDO $pdo) use ($pageIds): void {
        $pdo->beginTransaction();
        if ($pageIds === null) {
            $pdo->prepare('DELETE FROM tallywick_pages')->execute();
            $pdo->prepare('DELETE FROM tallywick_referers')->execute();
        } else {
            foreach (array_chunk(array_values(array_unique($pageIds)), 500) as $chunk) {
                $marks = implode(',', array_fill(0, count($chunk), '?'));
                $pdo->prepare("DELETE FROM tallywick_pages WHERE id IN ($marks)")->execute($chunk);
                $pdo->prepare("DELETE FROM tallywick_referers WHERE page IN ($marks)")->execute($chunk);
            }
        }
        $pdo->commit();
    });
}
