// Exported entry points (being written).
