#pragma once

// How a PHP page begins, as far as it decides where the counter's include may go. PHP wants
// declare(...) and an unbraced "namespace Name;" before any other statement of the file, so
// an include line put on top of such a page stops it with a fatal error. A plain function
// over the page's bytes; it reads only as far as the first statements.

#include <cstddef>
#include <string_view>

struct PageStart {
    enum class Kind {
        // Nothing in the page has to come first: the include may go on top.
        Free,
        // The page opens with declare(...) statements, an unbraced namespace statement, or
        // both, in a "<?php" block at the very start: the include goes at `after`, right
        // behind the last of them, inside that block.
        AfterFirstStatements,
        // Something may have to stay first, and where the include could go is not certain:
        // a braced namespace, a short "<?" tag, bytes before the tag, a declare that ends the
        // block or takes a body, a form this reader does not know.
        Unsure,
    };
    Kind kind = Kind::Free;
    std::size_t after = 0;
};

PageStart ReadPageStart(std::string_view page);
