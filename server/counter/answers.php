<?php
// The work behind the program's requests: the check, the page list, the referers of a page,
// deleting pages, and the hits of each hour.

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
 * Deletes the pages with these codes, their referers and their hours, and takes their hits
 * out of the site's hours; null deletes every page and every hour, the robots' included.
 * Pages go first and the site's hours last, in the order in which a view takes its rows, so
 * that the two never wait on each other in a circle.
 */
function delete_pages(PDO $pdo, ?array $pageIds): void
{
    with_counter_tables($pdo, static function (PDO $pdo) use ($pageIds): void {
        $pdo->beginTransaction();
        if ($pageIds === null) {
            foreach (['tallywick_pages', 'tallywick_referers'] as $table) {
                $pdo->prepare("DELETE FROM $table")->execute();
            }
            if (is_sqlite($pdo)) {
                // Emptying a whole table is quick in SQLite: its pages are handed back at once.
                $pdo->prepare('DELETE FROM tallywick_page_hours')->execute();
                $pdo->prepare('DELETE FROM tallywick_hours')->execute();
                $pdo->commit();
                return;
            }
            $pdo->commit();
            // Millions of hours take MySQL longer to delete one by one than the program waits:
            // emptied at once where the user may, row by row where not. They belong to no page now.
            foreach (['tallywick_page_hours', 'tallywick_hours'] as $table) {
                try {
                    $pdo->exec("TRUNCATE TABLE $table");
                } catch (\PDOException) {
                    $pdo->prepare("DELETE FROM $table")->execute();
                }
            }
            return;
        }
        $chunks = [];
        foreach (array_chunk(array_values(array_unique($pageIds)), 500) as $chunk) {
            $chunks[] = [$chunk, implode(',', array_fill(0, count($chunk), '?'))];
        }
        foreach ($chunks as [$chunk, $marks]) {
            $pdo->prepare("DELETE FROM tallywick_pages WHERE id IN ($marks)")->execute($chunk);
        }
        // No view adds to these pages any more: their hours stand still while they are summed.
        $sums = hits_by_hour($pdo, $pageIds, 0, PHP_INT_MAX);
        foreach ($chunks as [$chunk, $marks]) {
            $pdo->prepare("DELETE FROM tallywick_referers WHERE page IN ($marks)")->execute($chunk);
            $pdo->prepare("DELETE FROM tallywick_page_hours WHERE page IN ($marks)")->execute($chunk);
        }
        $subtract = $pdo->prepare(
            'UPDATE tallywick_hours SET hits = CASE WHEN hits > ? THEN hits - ? ELSE 0 END WHERE hour = ?'
        );
        foreach ($sums as $hour => $hits) {
            $subtract->execute([$hits, $hits, $hour]);
        }
        $pdo->commit();
    });
}

// The longest stretch one request may ask for: eleven years of hours.
const MAX_HISTORY_HOURS = 100000;

/**
 * The hits of the pages with these codes in each hour from $from to $to that has any, added
 * up over the pages: hour => hits, in ascending hours.
 */
function hits_by_hour(PDO $pdo, array $pageIds, int $from, int $to): array
{
    $sums = [];
    foreach (array_chunk(array_values(array_unique($pageIds)), 500) as $chunk) {
        $marks = implode(',', array_fill(0, count($chunk), '?'));
        $rows = $pdo->prepare(
            "SELECT hour, SUM(hits) FROM tallywick_page_hours
             WHERE page IN ($marks) AND hour >= ? AND hour <= ? GROUP BY hour"
        );
        $rows->execute([...$chunk, $from, $to]);
        while (($row = $rows->fetch(PDO::FETCH_NUM)) !== false) {
            $sums[(int)$row[0]] = ($sums[(int)$row[0]] ?? 0) + (int)$row[1];
        }
    }
    ksort($sums, SORT_NUMERIC);
    return $sums;
}

/**
 * Action 5: one record "hour","hits" for each hour from $from to $to that has hits, in
 * ascending hours. The site's own hours answer for the whole site, whatever its number of
 * pages; the robots have their own column there.
 */
function history(PDO $pdo, ?array $pageIds, bool $robots, int $from, int $to): string
{
    return with_counter_tables($pdo, static function (PDO $pdo) use ($pageIds, $robots, $from, $to): string {
        if ($pageIds === null) {
            $column = $robots ? 'robots' : 'hits';
            $rows = $pdo->prepare(
                "SELECT hour, $column FROM tallywick_hours WHERE hour >= ? AND hour <= ? AND $column > 0 ORDER BY hour"
            );
            $rows->execute([$from, $to]);
            return list_answer($rows);
        }
        $records = [];
        foreach (hits_by_hour($pdo, $pageIds, $from, $to) as $hour => $hits) {
            if ($hits > 0) {
                $records[] = "\"$hour\",\"$hits\"";
            }
        }
        return $records === [] ? 'OK' : implode('^', $records) . '^OK';
    });
}
