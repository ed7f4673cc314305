// Keeps the support library non-empty while it holds headers only.
