<?php
// Counts one view of the page that includes this file. It must never change the page: it
// prints nothing, sends no header, swallows every error and counts at most once a request.
// It is the one file a page parses itself, so it keeps to what PHP 7.1 can read as well:
// on a host too old for the rest, the include of views.php fails inside the try.

namespace Tallywick\Counter;

if (!\defined('TALLYWICK_VIEW_COUNTED') && \PHP_SAPI !== 'cli' && \get_included_files()[0] !== __FILE__) {
    \define('TALLYWICK_VIEW_COUNTED', true);
    (static function (): void {
        \set_error_handler(static function (): bool {
            return true;
        });
        $outputLevel = \ob_get_level();
        \ob_start();
        try {
            // A second copy of the scripts included by the same page would clash with the first.
            if (\function_exists(__NAMESPACE__ . '\\count_request') || (include_once __DIR__ . '/views.php') !== false) {
                count_request($_SERVER);
            }
        } catch (\Throwable $ignored) {
            // The page goes on as if it had no counter.
        } finally {
            while (\ob_get_level() > $outputLevel) {
                \ob_end_clean();
            }
            \restore_error_handler();
        }
    })();
}
