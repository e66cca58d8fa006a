<?php
// Gives the demo's sample site 90 days of history before this hour, written straight into the
// counter's tables, since views cannot be sent into the past:
//   php seed-history.php COUNTERFOLDER
// Every listed page gets hourly buckets with the rhythm of a day and of a week, a rising trend
// and the day a blog post was shared widely; the site's hours and the pages' totals grow with
// them, and robots get their own hours. Prints the views written. The same on every run.
// The demo keeps its counter in SQLite, which this writes.

declare(strict_types=1);

namespace Tallywick\Counter;

use PDO;

[, $folder] = $argv + [null, null];
if ($folder === null || !is_file($folder . '/answers.php')) {
    fwrite(STDERR, "usage: php seed-history.php COUNTERFOLDER\n");
    exit(2);
}
require $folder . '/answers.php';

const DAYS = 90;

// How much of the site's traffic each page draws; pages not named here draw a little.
const PAGE_SHARES = [
    '/index.php' => 1.0, '/bread.php' => 0.55, '/cakes.php' => 0.5, '/opening-hours.php' => 0.45,
    '/contact.php' => 0.25, '/blog/index.php' => 0.2, '/blog/sourdough-starter.php' => 0.3,
    '/blog/crisp-crust.php' => 0.25,
];
// A bakery's day (UTC hours) and week (Monday first): busy mornings and weekends.
const HOUR_SHARES = [
    0.05, 0.03, 0.02, 0.02, 0.03, 0.08, 0.25, 0.6, 0.9, 1.0, 0.95, 0.9,
    1.0, 0.9, 0.8, 0.75, 0.8, 0.85, 0.9, 0.8, 0.6, 0.4, 0.2, 0.1,
];
const WEEKDAY_SHARES = [1 => 0.85, 0.9, 0.95, 1.0, 1.15, 1.35, 1.2];
const PEAK_VIEWS_AN_HOUR = 6.0;

/** A count drawn around $mean, as visits arrive (Knuth's way, fine for small means). */
function poisson(float $mean): int
{
    $limit = exp(-$mean);
    $count = -1;
    for ($product = 1.0; $product > $limit; $product *= mt_rand() / mt_getrandmax()) {
        ++$count;
    }
    return max(0, $count);
}

mt_srand(2024);
$pdo = open_database(counter_config(), false);
$pages = with_counter_tables($pdo, static function (PDO $pdo): array {
    return $pdo->query('SELECT id, url FROM tallywick_pages ORDER BY id')->fetchAll(PDO::FETCH_NUM);
});
$thisHour = intdiv(time(), 3600) * 3600;
$firstHour = $thisHour - DAYS * 24 * 3600;
$viralDay = DAYS - 38;

$pdo->beginTransaction();
// Adding to what is there: the demo's own visits may have begun in the hour before this one.
$pageHour = $pdo->prepare('INSERT INTO tallywick_page_hours (page, hour, hits) VALUES (?, ?, ?)
    ON CONFLICT (page, hour) DO UPDATE SET hits = hits + excluded.hits');
$siteHour = $pdo->prepare('INSERT INTO tallywick_hours (hour, hits, robots) VALUES (?, ?, ?)
    ON CONFLICT (hour) DO UPDATE SET hits = hits + excluded.hits, robots = robots + excluded.robots');
$totals = [];
for ($hour = $firstHour; $hour < $thisHour; $hour += 3600) {
    $day = intdiv($hour - $firstHour, 86400);
    $trend = 0.65 + 0.5 * $day / (DAYS - 1);
    $rhythm = HOUR_SHARES[(int)gmdate('G', $hour)] * WEEKDAY_SHARES[(int)gmdate('N', $hour)];
    $siteHits = 0;
    foreach ($pages as [$id, $url]) {
        $path = (string)parse_url((string)$url, PHP_URL_PATH);
        $share = PAGE_SHARES[$path] ?? 0.15;
        if ($path === '/blog/sourdough-starter.php' && $day >= $viralDay) {
            $share *= 1 + 7 * exp(-($day - $viralDay) / 2.5); // shared widely, then forgotten
        }
        $hits = poisson(PEAK_VIEWS_AN_HOUR * $share * $rhythm * $trend);
        if ($hits > 0) {
            $pageHour->execute([$id, $hour, $hits]);
            $totals[$id] = ($totals[$id] ?? 0) + $hits;
            $siteHits += $hits;
        }
    }
    $robots = poisson(1.2);
    if ($siteHits > 0 || $robots > 0) {
        $siteHour->execute([$hour, $siteHits, $robots]);
    }
}
$addHits = $pdo->prepare('UPDATE tallywick_pages SET hits = hits + ? WHERE id = ?');
foreach ($totals as $id => $hits) {
    $addHits->execute([$hits, $id]);
}
$pdo->commit();
echo array_sum($totals), "\n";
