// Keeps the support library non-empty before fixtures are added.
