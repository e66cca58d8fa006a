<?php
// Fills the news service's tables from the command line (never over the web):
//
//   php seed.php sample PUBLISHER PRODCODE
//       registers the product for the tiers BM, BP and BG and adds three sample items
//   php seed.php product PUBLISHER PRODCODE [TIER...]
//       registers the product for the given tiers (all three when none is named)
//   php seed.php news PUBLISHER PRODCODE TITLE CONTENTFILE [TIER [TARGET [DATE]]]
//       adds an item whose HTML is the file's content, for one tier or "all" (the default),
//       for the target "UA" unless another is named, dated today unless a date is given;
//       prints the item's id
//
// The tables are created when missing; config.php beside this file names the database.

declare(strict_types=1);

namespace Tallywick\News;

if (PHP_SAPI !== 'cli') {
    http_response_code(404);
    exit;
}

require_once __DIR__ . '/newsdb.php';

function fail(string $message, int $status = 1): never
{
    fwrite(STDERR, $message . "\n");
    exit($status);
}

function usage(): never
{
    fail("usage: php seed.php sample PUBLISHER PRODCODE\n"
        . "       php seed.php product PUBLISHER PRODCODE [TIER...]\n"
        . "       php seed.php news PUBLISHER PRODCODE TITLE CONTENTFILE [TIER [TARGET [DATE]]]", 2);
}

function tiers(array $names): array
{
    foreach ($names as $tier) {
        if (!in_array($tier, TIERS, true)) {
            fail("unknown tier \"$tier\": use " . implode(', ', TIERS), 2);
        }
    }
    return $names === [] ? TIERS : $names;
}

function warn_about(string $title): void
{
    if (preg_match('/[\x00-\x1F\x7F^\xAF]/', $title)) {
        fwrite(STDERR, "note: \"^\", the byte 0xAF and control characters in a title are sent percent-encoded\n");
    }
}

$arguments = array_slice($argv, 1);
$command = array_shift($arguments);
if (count($arguments) < 2) {
    usage();
}
[$publisher, $prodcode] = $arguments;
if ($publisher === '' || $prodcode === '') {
    fail('the publisher id and the product code must not be empty', 2);
}

try {
    $pdo = open_database();
    switch ($command) {
        case 'sample':
            add_product($pdo, $publisher, $prodcode, TIERS);
            $today = date('Y-m-d');
            add_item($pdo, $publisher, $prodcode, '', 'UA', 'Welcome to your news service', $today,
                '<h1>Welcome</h1><p>This item comes from your own news service.</p>');
            add_item($pdo, $publisher, $prodcode, '', 'UA', 'Prepare your pages', $today,
                '<p>Press <b>Prepare Web Pages</b>, then upload the pages to your site.</p>');
            add_item($pdo, $publisher, $prodcode, '', 'UA', 'Statistics at a glance', $today,
                '<p>Select a page to see the domains and keywords that brought its visitors.</p>');
            break;
        case 'product':
            add_product($pdo, $publisher, $prodcode, tiers(array_slice($arguments, 2)));
            break;
        case 'news':
            if (count($arguments) < 4 || count($arguments) > 7) {
                usage();
            }
            [, , $title, $file] = $arguments;
            $tier = $arguments[4] ?? 'all';
            $tier = $tier === 'all' ? '' : tiers([$tier])[0];
            $content = @file_get_contents($file);
            if ($content === false) {
                fail("cannot read $file");
            }
            warn_about($title);
            echo add_item($pdo, $publisher, $prodcode, $tier, $arguments[5] ?? 'UA', $title,
                $arguments[6] ?? date('Y-m-d'), $content), "\n";
            break;
        default:
            usage();
    }
} catch (Refusal $refusal) {
    fail('the database in config.php cannot be reached (' . $refusal->getMessage() . ')');
} catch (\Throwable $error) {
    fail('seeding failed: ' . $error->getMessage());
}
