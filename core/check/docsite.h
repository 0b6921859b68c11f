#pragma once

#include <string>
#include <vector>

class CPelwinDoc;

// A browsable, searchable reference of a whole store as static pages that work opened from
// the file system: nothing is fetched, every page, style and script lies in the site's folder.
//
//   index.html         the category tree of every template merged through the namespaces
//                      (a category under "windows:WindowsComponents" stands under that
//                      category of the set that defines it), Computer and User apart, with
//                      counts, and a search that filters as one types (index.html?q=WORDS)
//   policies/*.html    one page per policy
//   sets/*.html        one page per template
//   changes.html       with an older store: the policies added, removed and changed
//   style.css, site.js, search-index.js

struct cSiteOptions {
    // The language asked for (the pages' lang); empty: the templates' own choice.
    std::string language;
    std::string title = "Policy reference";
    // The older store to compare with, and its name as shown; none: no changes page.
    const std::vector<const CPelwinDoc*>* older = nullptr;
    std::string olderName;
};

struct cSiteFile {
    std::string path;  // relative to the site's folder, '/' between folders
    std::string bytes;
};

// The site's files for the templates given (each read on its own, as a store's sets are).
std::vector<cSiteFile> BuildSite(const std::vector<const CPelwinDoc*>& docs,
                                 const cSiteOptions& options);

// Writes the files under folder, making the folders that are missing; a file already there
// is replaced. False with a message on the first failure.
bool WriteSite(const std::string& folder, const std::vector<cSiteFile>& files);

// How many policy pages a site of these templates has: one per policy read.
size_t SitePolicyCount(const std::vector<cSiteFile>& files);
