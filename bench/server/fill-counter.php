<?php
// Fills the counter's tables for the benchmarks through the scripts' own database code:
//   php fill-counter.php COUNTERFOLDER PAGES REFERERS
// makes PAGES pages and gives the first of them REFERERS referer records (5,000 domains,
// each with its own keywords); prints that page's code.

declare(strict_types=1);

namespace Tallywick\Counter;

use PDO;

[, $folder, $pages, $referers] = $argv + [null, null, null, null];
if ($folder === null || !ctype_digit((string)$pages) || !ctype_digit((string)$referers)) {
    fwrite(STDERR, "usage: php fill-counter.php COUNTERFOLDER PAGES REFERERS\n");
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
