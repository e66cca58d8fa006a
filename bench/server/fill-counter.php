<?php
// Fills the counter's tables for the benchmarks through the scripts' own database code:
//   php fill-counter.php COUNTERFOLDER PAGES REFERERS [BUCKETPAGES BUCKETHOURS]
// makes PAGES pages and gives the first of them REFERERS referer records (5,000 domains,
// each with its own keywords); prints that page's code. With scripts that keep hours, the
// first BUCKETPAGES pages get a bucket for each of the BUCKETHOURS hours before this one,
// written hour after hour as views would write them, with the site's hours beside them;
// then it prints "bucket_bytes" and the bytes the page buckets take in the database.

declare(strict_types=1);

namespace Tallywick\Counter;

use PDO;

[, $folder, $pages, $referers, $bucketPages, $bucketHours] = $argv + [null, null, null, null, '0', '0'];
if ($folder === null || !ctype_digit((string)$pages) || !ctype_digit((string)$referers)
    || !ctype_digit((string)$bucketPages) || !ctype_digit((string)$bucketHours)) {
    fwrite(STDERR, "usage: php fill-counter.php COUNTERFOLDER PAGES REFERERS [BUCKETPAGES BUCKETHOURS]\n");
    exit(2);
}
require $folder . '/counterdb.php';

/** Inserts rows in statements of up to 500 rows each. */
function insert_rows(PDO $pdo, string $table, array $columns, int $count, callable $row): void
{
    $marks = '(' . implode(', ', array_fill(0, count($columns), '?')) . ')';
    for ($start = 0; $start < $count; $start += 500) {
        $size = min(500, $count - $start);
        $values = [];
        for ($i = $start; $i < $start + $size; ++$i) {
            array_push($values, ...$row($i));
        }
        $pdo->prepare("INSERT INTO $table (" . implode(', ', $columns) . ') VALUES '
            . implode(', ', array_fill(0, $size, $marks)))->execute($values);
    }
}

// Opened and made by the shared database code alone, so that older scripts can be filled too.
$pdo = \Tallywick\connect(\Tallywick\read_config($folder), $folder, 60);
if ($pdo->getAttribute(PDO::ATTR_DRIVER_NAME) !== 'sqlite') {
    $pdo->setAttribute(PDO::MYSQL_ATTR_USE_BUFFERED_QUERY, false);
    $pdo->setAttribute(PDO::ATTR_EMULATE_PREPARES, true);
}
foreach (schema($pdo) as $statement) {
    $pdo->exec($statement);
}
$pdo->beginTransaction();
insert_rows($pdo, 'tallywick_pages', ['urlhash', 'url', 'hits'], (int)$pages, static function (int $i): array {
    $url = "http://bench.example/section" . ($i % 100) . "/page$i.php";
    return [sha1($url, true), $url, $i % 1000 + 1];
});
$firstPage = $pdo->prepare('SELECT MIN(id) FROM tallywick_pages');
$firstPage->execute();
$first = $firstPage->fetchColumn();
$firstPage->closeCursor();
insert_rows(
    $pdo,
    'tallywick_referers',
    ['page', 'refhash', 'domain', 'keyword', 'advertising', 'hits'],
    (int)$referers,
    static function (int $i) use ($first): array {
        $domain = 'site' . ($i % 5000) . '.example';
        $keyword = 'keyword number ' . intdiv($i, 5000);
        return [$first, sha1("0\n$domain\n$keyword", true), $domain, $keyword, 0, $i % 50 + 1];
    }
);
$pdo->commit();
echo $first, "\n";

if ((int)$bucketPages === 0 || !str_contains(implode("\n", schema($pdo)), 'tallywick_page_hours')) {
    exit(0);
}
$sqlite = $pdo->getAttribute(PDO::ATTR_DRIVER_NAME) === 'sqlite';
$thisHour = intdiv(time(), 3600) * 3600;
$firstHour = $thisHour - (int)$bucketHours * 3600;
$pdo->beginTransaction();
for ($hour = $firstHour; $hour < $thisHour; $hour += 3600) {
    $hits = [];
    insert_rows($pdo, 'tallywick_page_hours', ['page', 'hour', 'hits'], (int)$bucketPages,
        static function (int $i) use ($first, $hour, &$hits): array {
            $hits[] = $count = ($i * 7 + intdiv($hour, 3600)) % 13 + 1;
            return [(int)$first + $i, $hour, $count];
        });
    $pdo->prepare('INSERT INTO tallywick_hours (hour, hits, robots) VALUES (?, ?, ?)')
        ->execute([$hour, array_sum($hits), intdiv(array_sum($hits), 5)]);
    if (($hour - $firstHour) % (500 * 3600) === 0) {
        // Commits on the way keep the journal small.
        $pdo->commit();
        $pdo->beginTransaction();
    }
}
$pdo->commit();

if ($sqlite) {
    $size = $pdo->query("SELECT SUM(pgsize) FROM dbstat WHERE name = 'tallywick_page_hours'")->fetchColumn();
} else {
    $pdo->query('ANALYZE TABLE tallywick_page_hours')->fetchAll();
    $size = $pdo->query("SELECT DATA_LENGTH + INDEX_LENGTH FROM information_schema.TABLES
        WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'tallywick_page_hours'")->fetchColumn();
}
echo 'bucket_bytes ', $size, "\n";
