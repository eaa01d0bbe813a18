# A release's heading in CHANGELOG.md, "## VERSION (YYYY-MM-DD)": the version
# and the year, month and day as matches 1 to 4. Read both by packaging.cmake
# (the release date) and by changelog.cmake (the Debian changelog).
set(changelog_heading "^## ([^ ]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
