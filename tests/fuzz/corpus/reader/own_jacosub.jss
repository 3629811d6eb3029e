#TITLE untitled
#TIMERES 100
0:00:01.00 0:00:03.40 D Caption 1, the quick brown fox
0:00:04.00 0:00:06.40 D Caption 2, the quick brown fox\njumps over the lazy dog
0:00:07.00 0:00:09.40 D Caption 3, the quick brown fox
0:00:10.00 0:00:12.40 D Caption 4, the quick brown fox
0:00:13.00 0:00:15.40 D Caption 5, the quick brown fox\njumps over the lazy dog
0:00:16.00 0:00:18.40 D Caption 6, the quick brown fox
