// Counts in the words the table, the plot and the sentences share.

// A count of ulps in words: "+9" as "9 ulps up", "-1" as "1 ulp down".
export function ulpWords(ulps) {
  if (ulps === 'NaN') return 'to NaN';
  if (ulps === '0') return 'not at all';
  const size = ulps.slice(1);
  return `${size} ${size === '1' ? 'ulp' : 'ulps'} ${ulps[0] === '+' ? 'up' : 'down'}`;
}

export const plural = (count, one, many) => `${count.toLocaleString('en')} ${count === 1 ? one : many}`;
