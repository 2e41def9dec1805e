(root (@ (difficulty "Hard") (title "t") (grouping "true"))
 (grouped-pattern (@ (title "b") (selected "TRUE") (point "-5")))
 (group (@ (kind "stage")) (scene (@ (kind "spell-card") (point "12") (time-limit "60") (initial-spell-card-bonus "9223372036854775807") (decrease-rate "1"))
  (pattern (@ (title "a") (graze "+3") (getting-spell-card "true"))))))
